#include "host/app/serve_command.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "host/app/app_context.h"
#include "host/app/rock_build_options.h"
#include "host/app/workbench_routes.h"
#include "host/app/workbench_session.h"
#include "host/serve/elastic_task_queue.h"

namespace qhost::app {
namespace {

using namespace std::chrono_literals;

// Every open page holds a connection waiting for the next build, so the
// server gets a thread per connection, up to a ceiling far above the pages a
// person opens; idle ones beyond a few end after a while.
constexpr std::size_t kKeptWorkers = 4;
constexpr std::size_t kMostWorkers = 512;
constexpr auto kIdleWorkerEnd = 30s;

struct ServeOptions
{
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string workdir = ".";
  std::string page; // empty: the installed page beside the executable
  RockBuildOptions rock;
  WorkbenchLimits limits;
};

// share/quorvane/workbench beside the bin/ folder of the executable, in a
// build tree and an installed tree alike.
std::filesystem::path PageFolder(const ServeOptions& options, const char* argv0)
{
  if (!options.page.empty())
    return options.page;
  std::error_code ignored;
  const std::filesystem::path executable = std::filesystem::canonical("/proc/self/exe", ignored);
  const std::filesystem::path bin = executable.empty() ? std::filesystem::path(argv0).parent_path() : executable.parent_path();
  return bin.parent_path() / "share" / "quorvane" / "workbench";
}

// Ctrl-C and termination stop the server, which then ends normally: the
// signals are taken by a thread of their own instead of a handler, so the
// stop can use the server's locks. Stopping() turns true first, so a build
// under way breaks off instead of holding the end up.
class StopOnSignal
{
public:
  explicit StopOnSignal(httplib::Server& server)
  {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
      sigaddset(&signals, signal);
    // Blocked before any other thread starts, so every thread inherits it.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    waiter_ = std::thread([this, &server, signals] {
      int signal = 0;
      sigwait(&signals, &signal);
      stopping_ = true;
      if (!ending_)
        std::cout << "quorvane: stopping the workbench" << std::endl;
      server.stop();
    });
  }
  ~StopOnSignal()
  {
    // The server ended on its own: wake the waiter with a signal it takes.
    ending_ = true;
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

  const std::atomic<bool>& Stopping() const { return stopping_; }

private:
  std::atomic<bool> stopping_{false};
  std::atomic<bool> ending_{false};
  std::thread waiter_;
};

void RunServe(const ServeOptions& options, const std::string& pluginsFolder, const char* argv0)
{
  const RockBuildJob job = CheckRockBuildOptions(options.rock);
  Workdir workdir(options.workdir);
  const std::string workdirRoot = workdir.Root().string();
  const std::filesystem::path page = PageFolder(options, argv0);
  if (!std::filesystem::is_regular_file(page / "index.html"))
    throw UsageError("the workbench page is not in " + page.string() + " (give its folder with --page)");
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);

  httplib::Server server;
  server.new_task_queue = [] { return new ElasticTaskQueue(kKeptWorkers, kMostWorkers, kIdleWorkerEnd); };
  StopOnSignal stop(server);
  WorkbenchSession session(PrepareRockScene(options.rock, job, pluginsFolder), std::move(workdir), options.limits,
                           stop.Stopping());
  const int port = options.port == 0 ? server.bind_to_any_port(options.host)
                                     : (server.bind_to_port(options.host, options.port) ? options.port : -1);
  if (port < 0)
    throw UsageError("cannot listen on " + options.host + ":" + std::to_string(options.port) +
                     " (in use, or not an address of this machine)");
  AddWorkbenchRoutes(server, session, page, options.host, port);
  std::cout << "quorvane workbench: http://" << options.host << ":" << port << "/"
            << (HasThreeJs(page) ? "" : " (three.js is not installed: the page shows preview pictures)")
            << "\nscene files are loaded from and saved to " << workdirRoot << "; Ctrl-C stops the server\n"
            << std::flush;
  if (!server.listen_after_bind())
    throw std::runtime_error("the server stopped with an error");
}

} // namespace

void AddServeCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<ServeOptions>();
  CLI::App* cmd = app.add_subcommand("serve", "Start the workbench: the rock's parameters and a 3D view in a browser");
  cmd->add_option("--port", options->port, "Port to listen on; 0 picks a free one")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  cmd->add_option("--host", options->host, "Address to listen on (the default serves this machine only)")
      ->capture_default_str();
  cmd->add_option("--workdir", options->workdir, "Folder that scene files are loaded from and saved to")
      ->capture_default_str();
  AddRockBuildOptions(cmd, options->rock);
  cmd->add_option("--max-polygons", options->limits.maxPolygons, "Largest rock a build may make")
      ->capture_default_str()
      ->check(CLI::Range(std::int64_t(1000), std::int64_t(50'000'000)));
  cmd->add_option("--page", options->page, "Folder holding the workbench page (default: the installed one)");
  cmd->callback([argv0, &pluginsOption, options] {
    RunServe(*options, ResolvePluginsFolder(pluginsOption, argv0), argv0);
  });
}

} // namespace qhost::app
