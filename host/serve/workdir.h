// The working folder of a server: every file a client names for loading or
// saving lies inside it. Names come from the network, so they are read as
// untrusted: relative, without "..", and not leading out through a symbolic
// link.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qhost {

class Workdir
{
public:
  // root must be an existing folder; throws InputError naming it otherwise.
  explicit Workdir(const std::filesystem::path& root);

  const std::filesystem::path& Root() const { return root_; }

  // The path of the file name inside the folder. Throws InputError naming
  // the name when it is empty, absolute, has a ".." part, or resolves
  // (following symbolic links, also of a file that does not exist yet)
  // outside the folder.
  std::filesystem::path Resolve(const std::string& name) const;

  // The regular files directly in the folder or below it whose names end in
  // extension, as names Resolve accepts, sorted; at most limit of them.
  std::vector<std::string> List(const std::string& extension, std::size_t limit) const;

private:
  std::filesystem::path root_; // canonical
};

} // namespace qhost
