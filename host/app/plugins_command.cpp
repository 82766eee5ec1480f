#include "host/app/plugins_command.h"

#include <cstdio>
#include <iostream>

#include "host/app/app_context.h"
#include "host/core/node_factory.h"

namespace qhost::app {
namespace {

const char* PluginTypeName(Int32 type)
{
  switch (type)
  {
    case PLUGINTYPE_SHADER: return "shader";
    case PLUGINTYPE_OBJECT: return "object";
    default: return "other";
  }
}

// A core record's version number (major * 10000 + minor * 100 + patch) as text.
std::string VersionText(Int32 number)
{
  return std::to_string(number / 10000) + "." + std::to_string(number / 100 % 100) + "." +
         std::to_string(number % 100);
}

int RunPlugins(const std::string& folder)
{
  bool failed = false;
  for (const ModuleStatus& status : LoadModules(folder))
  {
    std::cout << "module " << status.path;
    if (!status.moduleId.empty())
      std::cout << " (" << status.moduleId << " " << VersionText(status.moduleVersion) << ")";
    std::cout << "\n";
    if (!status.error.empty())
    {
      std::cerr << "quorvane: " << status.error << "\n";
      failed = true;
    }
  }
  std::printf("%-10s %-7s %-20s %-10s %s\n", "ID", "type", "name", "info", "description");
  for (const PluginInfo* plugin : NodeFactory::Instance().Plugins())
  {
    const PluginRegistration& r = plugin->registration;
    std::printf("%-10d %-7s %-20s 0x%-8X %s\n", r.id, PluginTypeName(r.pluginType),
                r.name.empty() ? "(no name)" : r.name.c_str(), unsigned(r.info), r.description.c_str());
  }
  FlushConsole();
  Host::Instance().EndModules();
  return failed ? 1 : 0;
}

} // namespace

void AddPluginsCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  CLI::App* cmd = app.add_subcommand("plugins", "List the registered plug-ins of every module");
  cmd->callback([argv0, &pluginsOption] {
    const int code = RunPlugins(ResolvePluginsFolder(pluginsOption, argv0));
    if (code != 0)
      throw CLI::RuntimeError(code);
  });
}

} // namespace qhost::app
