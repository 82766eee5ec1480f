#include "host/core/module_resource.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

namespace qhost {

bool LoadModuleResource(const String& folder, ModuleResource& out, String& error)
{
  namespace fs = std::filesystem;
  const fs::path stringsPath = fs::path(folder) / "strings.json";
  if (!fs::is_directory(fs::path(folder) / "description"))
  {
    error = folder + ": no description folder";
    return false;
  }
  std::ifstream file(stringsPath);
  if (!file)
  {
    error = stringsPath.string() + ": cannot open string table";
    return false;
  }
  try
  {
    const auto root = nlohmann::json::parse(file);
    ModuleResource resource;
    resource.folder = folder;
    for (const auto& [key, value] : root.at("strings").items())
      resource.strings[std::stoi(key)] = value.get<String>();
    out = std::move(resource);
    return true;
  }
  catch (const std::exception& e)
  {
    error = stringsPath.string() + ": broken string table: " + e.what();
    return false;
  }
}

} // namespace qhost
