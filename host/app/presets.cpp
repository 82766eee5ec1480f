#include "host/app/presets.h"

#include <algorithm>
#include <cctype>

#include "host/app/app_context.h"

namespace qhost::app {
namespace {

std::string NormalisedName(const std::string& name)
{
  std::string normalised;
  for (const char c : name)
    normalised += (c == ' ' || c == '_') ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
  return normalised;
}

} // namespace

std::vector<std::filesystem::path> PresetFolders(const std::string& pluginsFolder)
{
  // Modules live in the plug-ins folder or one level down, each with its
  // resources beside it.
  std::vector<std::filesystem::path> folders;
  std::error_code ec;
  const std::filesystem::path root(pluginsFolder);
  if (std::filesystem::is_directory(root / "presets", ec))
    folders.push_back(root / "presets");
  std::vector<std::filesystem::path> below;
  for (const auto& entry : std::filesystem::directory_iterator(root, ec))
    if (entry.is_directory(ec) && std::filesystem::is_directory(entry.path() / "presets", ec))
      below.push_back(entry.path() / "presets");
  std::sort(below.begin(), below.end());
  folders.insert(folders.end(), below.begin(), below.end());
  return folders;
}

std::vector<PresetFile> ListPresets(const std::vector<std::filesystem::path>& folders)
{
  std::vector<PresetFile> presets;
  for (const std::filesystem::path& folder : folders)
  {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    {
      if (entry.path().extension() != ".json" || !entry.is_regular_file(ec))
        continue;
      const std::string name = entry.path().stem().string();
      const bool known = std::any_of(presets.begin(), presets.end(), [&](const PresetFile& p) { return p.name == name; });
      if (!known)
        presets.push_back({name, entry.path()});
    }
  }
  std::sort(presets.begin(), presets.end(), [](const PresetFile& a, const PresetFile& b) { return a.name < b.name; });
  return presets;
}

PresetFile FindPreset(const std::vector<std::filesystem::path>& folders, const std::string& name)
{
  const std::vector<PresetFile> presets = ListPresets(folders);
  std::string known;
  for (const PresetFile& preset : presets)
  {
    if (NormalisedName(preset.name) == NormalisedName(name))
      return preset;
    known += (known.empty() ? "" : ", ") + preset.name;
  }
  throw UsageError("--preset " + name + ": no such preset (" +
                   (known.empty() ? std::string("no presets folder beside the modules") : "known: " + known) + ")");
}

} // namespace qhost::app
