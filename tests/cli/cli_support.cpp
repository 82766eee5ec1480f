#include "cli/cli_support.h"

#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "module/module_files.h"

extern char** environ;

namespace qhost::testing {
namespace {

std::string ReadFile(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args)
{
  // Output goes to files rather than pipes, so a chatty child cannot block.
  ScratchFolder folder;
  const std::string outPath = folder / "stdout";
  const std::string errPath = folder / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  CommandResult result;
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
  {
    ADD_FAILURE() << "cannot start " << program;
    return result;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid)
  {
    ADD_FAILURE() << "lost the child " << program;
    return result;
  }
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

CommandResult RunQuorvane(const std::vector<std::string>& args)
{
  return RunCommand(QV_BUILD_DIR "/bin/quorvane", args);
}

bool ProgramInPath(const std::string& program)
{
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0)
      return true;
  return false;
}

TestFolder::TestFolder()
{
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = (std::filesystem::temp_directory_path() / ("quorvane_" + std::to_string(::getpid()) + "_" +
                                                        test->test_suite_name() + "_" + test->name()))
                .string();
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
}

TestFolder::~TestFolder() { std::filesystem::remove_all(folder_); }

std::vector<std::string> LinesContaining(const std::string& text, const std::string& needle)
{
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    if (line.find(needle) != std::string::npos)
      lines.push_back(line);
  return lines;
}

} // namespace qhost::testing
