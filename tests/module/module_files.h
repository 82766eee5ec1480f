// Built module files and scratch copies of them, shared by the module and the
// application tests. A copy in a fresh folder is a fresh module for dlopen, and
// lets a test remove or break single resource files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qhost::testing {

// A module flavour: its file name and the lowest host API version it accepts.
struct ModuleFlavour
{
  const char* name;
  const char* fileName;
  int minApiVersion;
};

inline constexpr ModuleFlavour kDefaultFlavour{"default", "quorvane.dud64", 2025100};
inline constexpr ModuleFlavour kMacosFlavour{"macos", "QuorvaneR2025.ruvi", 2025200};

// Where the build put a flavour: the plug-ins folder when it is the main
// flavour, flavours/<name>/ otherwise. Empty when that flavour was not built.
inline std::string BuiltModulePath(const ModuleFlavour& flavour)
{
  namespace fs = std::filesystem;
  for (const fs::path& folder : {fs::path(QV_BUILD_DIR) / "plugins" / "quorvane",
                                fs::path(QV_BUILD_DIR) / "flavours" / flavour.name / "quorvane"})
    if (fs::is_regular_file(folder / flavour.fileName))
      return (folder / flavour.fileName).string();
  return {};
}

// A temporary folder, removed with everything in it.
class ScratchFolder
{
public:
  ScratchFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv_module_test_XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error("cannot create scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder()
  {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// Copies a built module and, when asked, its res/ folder into folder/quorvane/;
// returns the copied module's path.
inline std::string CopyModule(const std::string& builtModule, const std::filesystem::path& folder,
                              bool withResources = true)
{
  namespace fs = std::filesystem;
  const fs::path source(builtModule);
  const fs::path target = folder / "quorvane";
  fs::create_directories(target);
  fs::copy_file(source, target / source.filename());
  if (withResources)
    fs::copy(source.parent_path() / "res", target / "res", fs::copy_options::recursive);
  return (target / source.filename()).string();
}

} // namespace qhost::testing
