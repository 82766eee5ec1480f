#include "host/app/presets_command.h"

#include <iostream>

#include "host/app/app_context.h"
#include "host/app/presets.h"

namespace qhost::app {

void AddPresetsCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  CLI::App* cmd = app.add_subcommand("presets", "List the named rocks that --preset takes, with their scene files");
  cmd->callback([argv0, &pluginsOption] {
    const std::string folder = ResolvePluginsFolder(pluginsOption, argv0);
    const std::vector<PresetFile> presets = ListPresets(PresetFolders(folder));
    if (presets.empty())
      throw UsageError("no presets folder beside the modules in " + folder);
    for (const PresetFile& preset : presets)
      std::cout << preset.name << "\t" << preset.path.string() << "\n";
  });
}

} // namespace qhost::app
