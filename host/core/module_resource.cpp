#include "host/core/module_resource.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host/core/input_error.h"

namespace qhost {

ModuleResource LoadModuleResource(const String& folder)
{
  namespace fs = std::filesystem;
  const fs::path stringsPath = fs::path(folder) / "strings.json";
  if (!fs::is_directory(fs::path(folder) / "description"))
    throw InputError(folder + ": no description folder");
  std::ifstream file(stringsPath);
  if (!file)
    throw InputError(stringsPath.string() + ": cannot open string table");
  try
  {
    const auto root = nlohmann::json::parse(file);
    ModuleResource resource;
    resource.folder = folder;
    for (const auto& [key, value] : root.at("strings").items())
      resource.strings[std::stoi(key)] = value.get<String>();
    return resource;
  }
  catch (const std::exception& e)
  {
    // The parser (or a key that is no number) says what; the file is added here.
    throw InputError(stringsPath.string() + ": broken string table: " + e.what());
  }
}

} // namespace qhost
