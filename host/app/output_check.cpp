#include "host/app/output_check.h"

#include <filesystem>
#include <unistd.h>

#include "host/app/app_context.h"

namespace qhost::app {

void CheckOutputPath(const std::string& path, const std::string& option)
{
  namespace fs = std::filesystem;
  const auto fail = [&](const std::string& why) { throw UsageError(option + " " + path + ": " + why); };
  if (path.empty())
    fail("no file name");
  std::error_code ec;
  if (fs::is_directory(path, ec))
    fail("is a folder");
  const fs::path parent = fs::path(path).parent_path();
  const fs::path folder = parent.empty() ? fs::path(".") : parent;
  if (!fs::is_directory(folder, ec))
    fail("folder " + folder.string() + " does not exist");
  // Files are written beside their target and renamed over it, so the
  // folder itself must be writable.
  if (::access(folder.c_str(), W_OK) != 0)
    fail("folder " + folder.string() + " is not writable");
}

void CheckDistinctOutputs(const std::vector<NamedOutput>& outputs)
{
  namespace fs = std::filesystem;
  std::vector<fs::path> resolved(outputs.size());
  for (std::size_t i = 0; i < outputs.size(); ++i)
  {
    if (outputs[i].path.empty())
      continue;
    std::error_code ec;
    resolved[i] = fs::weakly_canonical(outputs[i].path, ec);
    if (ec)
      resolved[i] = fs::absolute(outputs[i].path).lexically_normal();
    for (std::size_t j = 0; j < i; ++j)
      if (!outputs[j].path.empty() && resolved[j] == resolved[i])
        throw UsageError(outputs[i].option + " " + outputs[i].path + ": is the same file as " + outputs[j].option +
                         " " + outputs[j].path);
  }
}

} // namespace qhost::app
