// Runs the quorvane application, or another program, as a child process and
// collects what it printed and how it ended.
#pragma once

#include <string>
#include <vector>

namespace qhost::testing {

struct CommandResult
{
  bool exited = false; // false when a signal ended it (a crash)
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs program with args (program is looked up in PATH when it has no slash).
// Fails the current test when it cannot be started.
CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args);

// Runs the built quorvane application.
CommandResult RunQuorvane(const std::vector<std::string>& args);

// Whether a program can be found in PATH.
bool ProgramInPath(const std::string& program);

// A fresh folder for the running test, under the system temp folder,
// removed with its content.
class TestFolder
{
public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

private:
  std::string folder_;
};

// The lines of text that contain needle.
std::vector<std::string> LinesContaining(const std::string& text, const std::string& needle);

} // namespace qhost::testing
