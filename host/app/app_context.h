// What every command of the application shares: the host with its modules
// loaded, the plug-ins folder they came from, and where the console goes.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "host/core/node_factory.h"
#include "host/core/input_error.h"
#include "host/runtime/host.h"

namespace qhost::app {

// Bad options or values given to a command (exit 2, like every InputError).
using UsageError = InputError;

// Thrown by a command that did its work but ends with another exit code than
// 0, such as a check that found what it looks for; main exits with `code`.
struct CommandExit
{
  int code;
};

// The plug-ins folder: the option's value, or ../plugins beside the executable.
std::string ResolvePluginsFolder(const std::string& option, const char* argv0);

// The application's own command line, kept by main so a command can start
// copies of the application with the same options.
void RememberCommandLine(int argc, char** argv);
const std::vector<std::string>& RememberedCommandLine();

// Loads every module of the folder; throws UsageError when none starts.
std::vector<ModuleStatus> LoadModules(const std::string& folder);

// The registered plug-in with this description name (oxrock, XQuorvane);
// throws UsageError listing the known ones.
const PluginInfo& FindPlugin(const std::string& descriptionName);

// Where the console lines of the host and the modules go: to stderr with
// verbose, to file when it is not empty (checked now, so an unwritable file is
// refused before any work; created at the first line), nowhere otherwise.
// Throws UsageError.
void RouteConsole(bool verbose, const std::string& file);

// Passes the console lines written since the last call where RouteConsole
// said.
void FlushConsole();

// For a run whose worker processes write console lines too: the console file
// is started now (emptied) and from here on every process, this one included,
// adds its lines at the end, so no process overwrites another's.
void ShareConsoleFile();
// In a worker process: adds lines to the file its run started.
void JoinConsoleFile();

} // namespace qhost::app
