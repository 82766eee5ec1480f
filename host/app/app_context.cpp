#include "host/app/app_context.h"

#include <filesystem>
#include <iostream>

#include "host/core/console.h"

namespace qhost::app {
namespace {
size_t g_printedLines = 0;
}

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

void FlushConsole()
{
  const auto lines = Console::Instance().Lines();
  for (; g_printedLines < lines.size(); ++g_printedLines)
  {
    const ConsoleLine& line = lines[g_printedLines];
    (line.kind == OUTPUT::DIAGNOSTIC ? std::cerr : std::cout) << "[console] " << line.text << "\n";
  }
}

} // namespace qhost::app
