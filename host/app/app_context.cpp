#include "host/app/app_context.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "host/app/output_check.h"
#include "host/core/console.h"

namespace qhost::app {
namespace {

struct ConsoleRoute
{
  bool verbose = false;
  std::string path; // --console: opened at the first line, so a failed run leaves no file
  std::ofstream file;
  bool append = false; // other processes write to the same file
  size_t passedLines = 0;
};

ConsoleRoute& Route()
{
  static ConsoleRoute route;
  return route;
}

std::vector<std::string>& CommandLine()
{
  static std::vector<std::string> commandLine;
  return commandLine;
}

} // namespace

void RememberCommandLine(int argc, char** argv) { CommandLine().assign(argv, argv + argc); }

const std::vector<std::string>& RememberedCommandLine() { return CommandLine(); }

std::string ResolvePluginsFolder(const std::string& option, const char* argv0)
{
  if (!option.empty())
    return option;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec)
    exe = std::filesystem::absolute(argv0);
  // A build tree keeps plug-ins in plugins/ beside bin/; an installed tree in
  // lib/quorvane/plugins/.
  const std::filesystem::path prefix = exe.parent_path().parent_path();
  const std::filesystem::path installed = prefix / "lib" / "quorvane" / "plugins";
  if (!std::filesystem::is_directory(prefix / "plugins", ec) && std::filesystem::is_directory(installed, ec))
    return installed.string();
  return (prefix / "plugins").string();
}

std::vector<ModuleStatus> LoadModules(const std::string& folder)
{
  if (!std::filesystem::is_directory(folder))
    throw UsageError("plug-ins folder " + folder + " does not exist");
  std::vector<ModuleStatus> statuses = Host::Instance().LoadPlugins(folder);
  if (statuses.empty())
    throw UsageError("no module (*.dud64 or *.ruvi) in plug-ins folder " + folder);
  return statuses;
}

const PluginInfo& FindPlugin(const std::string& descriptionName)
{
  std::string known;
  for (const PluginInfo* plugin : NodeFactory::Instance().Plugins())
  {
    if (plugin->registration.description == descriptionName)
      return *plugin;
    known += (known.empty() ? "" : ", ") + plugin->registration.description;
  }
  throw UsageError("unknown plug-in \"" + descriptionName + "\" (known: " + (known.empty() ? "none" : known) + ")");
}

void RouteConsole(bool verbose, const std::string& file)
{
  ConsoleRoute& route = Route();
  route.verbose = verbose;
  if (!file.empty())
    CheckOutputPath(file, "--console");
  route.path = file;
}

void FlushConsole()
{
  ConsoleRoute& route = Route();
  const auto lines = Console::Instance().Lines();
  for (; route.passedLines < lines.size(); ++route.passedLines)
  {
    const ConsoleLine& line = lines[route.passedLines];
    const char* kind = line.kind == OUTPUT::DIAGNOSTIC ? "[diagnostic] " : "[console] ";
    if (route.verbose)
      std::cerr << kind << line.text << "\n";
    if (!route.path.empty() && !route.file.is_open())
      route.file.open(route.path, route.append ? std::ios::app : std::ios::trunc);
    if (route.file.is_open())
      route.file << kind << line.text << "\n" << std::flush;
  }
}

void ShareConsoleFile()
{
  ConsoleRoute& route = Route();
  if (route.path.empty())
    return;
  FlushConsole();
  if (!route.file.is_open())
    route.file.open(route.path, std::ios::trunc);
  route.file.close();
  route.file.clear();
  route.append = true;
}

void JoinConsoleFile() { Route().append = true; }

} // namespace qhost::app
