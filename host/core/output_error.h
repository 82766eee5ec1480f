// A file the run was asked to write could not be written: the path as the
// caller named it and what failed (the target's kind, a refused create, a
// full disk, an image or mesh that cannot be stored). A failure of the run
// rather than of its input, so the application exits with 1.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace qhost {

class OutputError : public std::runtime_error
{
public:
  // The message is "<path>: <problem>".
  OutputError(const std::string& path, const std::string& problem)
    : OutputError(path, problem, path + ": " + problem)
  {
  }
  // For a path that has to be shown quoted (empty, or naming a folder).
  OutputError(std::string path, std::string problem, const std::string& message)
    : std::runtime_error(message), path_(std::move(path)), problem_(std::move(problem))
  {
  }

  const std::string& Path() const { return path_; }
  const std::string& Problem() const { return problem_; }

private:
  std::string path_;
  std::string problem_;
};

} // namespace qhost
