// What every command of the application shares: the host with its modules
// loaded, and the plug-ins folder they came from.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "host/runtime/host.h"

namespace qhost::app {

// Thrown for bad input; main prints it and exits non-zero.
struct UsageError : std::runtime_error
{
  using std::runtime_error::runtime_error;
};

// The plug-ins folder: the option's value, or ../plugins beside the executable.
std::string ResolvePluginsFolder(const std::string& option, const char* argv0);

// Loads every module of the folder; throws UsageError when none starts.
std::vector<ModuleStatus> LoadModules(const std::string& folder);

// Prints the console lines written since the last call.
void FlushConsole();

} // namespace qhost::app
