// Drives a built module through the host's real loader, one entry action at a
// time, and reads what it left in the host's console and plug-in registry.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/core/console.h"
#include "host/core/module_loader.h"
#include "module/module_files.h"

namespace qhost::testing {

// Runs body in a forked child and expects it to exit cleanly with no failed
// assertion. The module's state, the plug-in registry and the console are
// process-wide, so every case that initialises a module gets its own process.
void RunInChild(const std::function<void()>& body);

// How gtest names a flavour in test output.
void PrintTo(const ModuleFlavour& flavour, std::ostream* out);

// Opens a module through the loader; a failed assertion when it cannot.
std::unique_ptr<LoadedModule> Open(const std::string& path);

// A host interface record that reports the given API version; it lives as
// long as the process, as the module keeps the pointer.
const HostInterface* HostReporting(Int32 apiVersion);

// Entry actions with their usual arguments.
Int32 SystemInit(LoadedModule& module, const HostInterface* host);
Int32 SendMessage(LoadedModule& module, Int32 id);
Int32 Start(LoadedModule& module);
Int32 End(LoadedModule& module);

// Lines the module wrote (the host's own lines are left out). Each must carry
// the module's source location and be meant for every audience.
std::vector<std::string> ModuleConsoleLines();

// The display name of the plug-in registered under an ID, "<none>" when no
// plug-in has that ID.
std::string RegisteredName(Int32 pluginId);

// Registers a stand-in plug-in under an ID, with a description created in
// folder, so that a later registration of the same ID is refused.
void OccupyPluginId(Int32 pluginId, const ScratchFolder& folder);

} // namespace qhost::testing
