#include "host/serve/workdir.h"

#include <algorithm>
#include <system_error>

#include "host/core/input_error.h"

namespace qhost {
namespace fs = std::filesystem;

namespace {

bool Inside(const fs::path& root, const fs::path& path)
{
  const auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return rootEnd == root.end() && pathAt != path.end();
}

} // namespace

Workdir::Workdir(const fs::path& root)
{
  std::error_code error;
  root_ = fs::canonical(root, error);
  if (error || !fs::is_directory(root_))
    throw InputError("--workdir " + root.string() + ": not an existing folder");
}

fs::path Workdir::Resolve(const std::string& name) const
{
  const auto refuse = [&name](const std::string& why) {
    return InputError("\"" + name + "\": " + why + " (files are named relative to the working folder)");
  };
  if (name.empty())
    throw refuse("no file name");
  if (name.find('\0') != std::string::npos)
    throw InputError("a file name cannot hold a NUL character");
  const fs::path relative(name);
  if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory())
    throw refuse("absolute paths are not accepted");
  for (const fs::path& part : relative)
    if (part == "..")
      throw refuse("\"..\" is not accepted");
  // weakly_canonical follows every symbolic link whose target exists, so a
  // link (or a linked folder) pointing out of the folder is caught; a link
  // to nothing would be followed only by the write, so it is refused.
  std::error_code error;
  fs::path walked = root_;
  for (const fs::path& part : relative)
  {
    walked /= part;
    if (fs::is_symlink(fs::symlink_status(walked, error)) && !fs::exists(walked, error))
      throw refuse("it is a symbolic link to nothing");
  }
  const fs::path resolved = fs::weakly_canonical(root_ / relative, error);
  if (error)
    throw refuse(error.message());
  if (!Inside(root_, resolved))
    throw refuse("it leads out of the working folder");
  return resolved;
}

std::vector<std::string> Workdir::List(const std::string& extension, std::size_t limit) const
{
  std::vector<std::string> names;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root_, error), end; !error && it != end; it.increment(error))
  {
    if (names.size() >= limit)
      break;
    // Links are left out: a listed name must be one Resolve accepts.
    if (!it->is_symlink(error) && it->is_regular_file(error) && it->path().extension() == extension)
      names.push_back(fs::relative(it->path(), root_, error).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace qhost
