// Named presets: scene files shipped in a presets/ folder beside the module,
// each a Quorvane Maker (its child, layers and material) set up to make one
// kind of rock.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qhost::app {

// The presets/ folders beside the modules of the plug-ins folder (a build tree
// and an installed tree lay them out alike), in a fixed order.
std::vector<std::filesystem::path> PresetFolders(const std::string& pluginsFolder);

struct PresetFile
{
  std::string name; // the file name without ".json": boulder, river-stone
  std::filesystem::path path;
};

// Every preset of the folders, sorted by name; the first folder wins a name
// found twice.
std::vector<PresetFile> ListPresets(const std::vector<std::filesystem::path>& folders);

// The preset a user names, compared without case, with spaces and underscores
// read as hyphens ("River Stone" is river-stone). Throws UsageError listing
// the known names.
PresetFile FindPreset(const std::vector<std::filesystem::path>& folders, const std::string& name);

} // namespace qhost::app
