// A `quorvane serve` running as a child process for the length of a test,
// on a free port, with an HTTP client pointed at it.
#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qhost::testing {

struct JsonReply
{
  int status = 0;
  nlohmann::json body;
};

class WorkbenchServer
{
public:
  // Starts the server with args after `serve --port 0` and waits for the
  // line with its address; fails the test when it does not come.
  explicit WorkbenchServer(const std::vector<std::string>& args);
  // Stops a server still running (SIGTERM).
  ~WorkbenchServer();
  WorkbenchServer(const WorkbenchServer&) = delete;
  WorkbenchServer& operator=(const WorkbenchServer&) = delete;

  bool Started() const { return port_ > 0; }
  int Port() const { return port_; }
  httplib::Client Client() const;

  JsonReply Get(const std::string& path) const;
  JsonReply Post(const std::string& path, const nlohmann::json& body) const;
  // The build published after generation `after` (waiting for it).
  nlohmann::json BuildAfter(std::uint64_t after) const;
  // The build of the newest request, once it is published.
  nlohmann::json NewestBuild() const;

  // Sends SIGTERM and returns the exit code (-1 for a crash).
  int Stop();
  // What the server wrote on stderr so far.
  std::string Errors() const;

private:
  pid_t pid_ = -1;
  int outFd_ = -1; // the server's stdout
  int port_ = 0;
  std::string errPath_;
};

} // namespace qhost::testing
