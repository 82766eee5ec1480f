// Loads plug-in modules and drives their entry actions, as the host does at
// start-up and shutdown. A missing or broken module is an error, never a crash.
#pragma once

#include <memory>
#include <vector>

#include "hostapi/entry_protocol.h"
#include "hostapi/host_interface.h"

namespace qhost {

using PluginMainFunction = Int32 (*)(Int32 action, void* p1, void* p2, void* p3);

class LoadedModule
{
public:
  LoadedModule(String path, void* handle, PluginMainFunction entry);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const String& Path() const { return path_; }
  // Calls plugin_main directly (tests drive chosen actions with this).
  Int32 Call(Int32 action, void* p1, void* p2, void* p3) const { return entry_(action, p1, p2, p3); }
  // The context handed over with the system-initialisation action.
  ModuleContext* Context() { return &context_; }
  // The record the module's g_core points to; null when it exports none.
  const CoreModuleRecord* CoreRecord() const;

private:
  String path_;
  void* handle_;
  PluginMainFunction entry_;
  ModuleContext context_;
};

// Opens a module file; throws InputError naming the file on failure.
std::unique_ptr<LoadedModule> OpenModule(const String& path);

struct StartReport
{
  Int32 initResult = 0;
  Int32 messageResult = 0;
  Int32 startResult = 0;
};

// System initialisation, message 1, start. Stops after a refused initialisation.
StartReport StartModule(LoadedModule& module, const HostInterface& host);
// The end action.
Int32 EndModule(LoadedModule& module);

// Module files in a plug-ins folder: every *.dud64 or *.ruvi in it or one level down.
std::vector<String> FindModuleFiles(const String& pluginsFolder);

} // namespace qhost
