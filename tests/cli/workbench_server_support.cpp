#include "cli/workbench_server_support.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qhost::testing {

WorkbenchServer::WorkbenchServer(const std::vector<std::string>& args)
{
  int out[2];
  if (::pipe(out) != 0)
  {
    ADD_FAILURE() << "no pipe";
    return;
  }
  errPath_ = std::filesystem::temp_directory_path() / ("quorvane_serve_err_" + std::to_string(::getpid()) + "_" +
                                                        std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> all = {QV_BUILD_DIR "/bin/quorvane", "serve", "--port", "0"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0)
  {
    ::close(out[0]);
    pid_ = -1;
    ADD_FAILURE() << "cannot start quorvane serve";
    return;
  }
  // The first line names the address. The pipe stays open until the server
  // ends, so its last words never meet a closed pipe.
  outFd_ = out[0];
  std::string line;
  char c = 0;
  while (::read(outFd_, &c, 1) == 1 && c != '\n')
    line += c;
  std::smatch match;
  if (std::regex_search(line, match, std::regex(R"(http://127\.0\.0\.1:(\d+)/)")))
    port_ = std::stoi(match[1]);
  else
    ADD_FAILURE() << "quorvane serve did not print its address: \"" << line << "\" " << Errors();
}

WorkbenchServer::~WorkbenchServer()
{
  if (pid_ > 0)
    Stop();
  std::error_code ignored;
  std::filesystem::remove(errPath_, ignored);
}

int WorkbenchServer::Stop()
{
  if (pid_ <= 0)
    return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  const pid_t waited = ::waitpid(pid_, &status, 0);
  pid_ = -1;
  ::close(outFd_);
  outFd_ = -1;
  return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WorkbenchServer::Errors() const
{
  std::ifstream file(errPath_);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

httplib::Client WorkbenchServer::Client() const
{
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  return client;
}

namespace {

JsonReply Reply(const httplib::Result& result)
{
  JsonReply reply;
  if (!result)
  {
    ADD_FAILURE() << "no answer from the server";
    return reply;
  }
  reply.status = result->status;
  reply.body = nlohmann::json::parse(result->body, nullptr, false);
  return reply;
}

} // namespace

JsonReply WorkbenchServer::Get(const std::string& path) const { return Reply(Client().Get(path)); }

JsonReply WorkbenchServer::Post(const std::string& path, const nlohmann::json& body) const
{
  return Reply(Client().Post(path, body.dump(), "application/json"));
}

nlohmann::json WorkbenchServer::BuildAfter(std::uint64_t after) const
{
  for (int attempt = 0; attempt < 20; ++attempt)
  {
    const JsonReply reply = Get("/api/build?after=" + std::to_string(after));
    if (reply.status == 200 && reply.body["generation"].get<std::uint64_t>() > after)
      return reply.body;
  }
  ADD_FAILURE() << "no build after generation " << after;
  return {};
}

nlohmann::json WorkbenchServer::NewestBuild() const
{
  const std::uint64_t newest = Get("/api/describe").body["newest"].get<std::uint64_t>();
  return BuildAfter(newest - 1);
}

} // namespace qhost::testing
