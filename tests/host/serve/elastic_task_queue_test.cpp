// Worker threads that grow with the connections: more clients waiting at
// once than the HTTP library's own pool has threads must not keep a newcomer
// from being answered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "host/serve/elastic_task_queue.h"

namespace qhost {
namespace {

using namespace std::chrono_literals;

// A count that jobs raise while they wait for the test to let them go.
class Waiters
{
public:
  // Counts the caller in and blocks until Release (or a long safety limit,
  // so a broken queue fails the test instead of hanging it).
  void Wait()
  {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait_for(lock, 60s, [this] { return released_; });
  }
  // Whether count callers are waiting at once (false after the safety limit).
  bool Reach(int count)
  {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 60s, [&] { return waiting_ >= count; });
  }
  void Release()
  {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  bool released_ = false;
};

TEST(ElasticTaskQueue, EveryBlockedJobGetsAThreadUpToTheCeiling)
{
  constexpr int kJobs = 20;
  Waiters waiters;
  std::atomic<int> done{0};
  ElasticTaskQueue queue(2, 64, 10s);
  for (int i = 0; i < kJobs; ++i)
    queue.enqueue([&] {
      waiters.Wait();
      ++done;
    });
  EXPECT_TRUE(waiters.Reach(kJobs)) << "jobs waited for a thread while others were blocked";
  EXPECT_EQ(queue.Threads(), std::size_t(kJobs));
  waiters.Release();
  queue.shutdown();
  EXPECT_EQ(done, kJobs);
  EXPECT_EQ(queue.Threads(), 0u);
}

TEST(ElasticTaskQueue, JobsBeyondTheCeilingWaitAndAllRun)
{
  constexpr int kCeiling = 3;
  constexpr int kJobs = 7;
  Waiters waiters;
  std::atomic<int> done{0};
  ElasticTaskQueue queue(1, kCeiling, 10s);
  for (int i = 0; i < kJobs; ++i)
    queue.enqueue([&] {
      waiters.Wait();
      ++done;
    });
  EXPECT_TRUE(waiters.Reach(kCeiling));
  EXPECT_EQ(queue.Threads(), std::size_t(kCeiling));
  waiters.Release();
  queue.shutdown();
  EXPECT_EQ(done, kJobs);
}

TEST(ElasticTaskQueue, ThreadsBeyondTheKeptOnesEndWhenIdle)
{
  Waiters waiters;
  ElasticTaskQueue queue(2, 16, 20ms);
  for (int i = 0; i < 8; ++i)
    queue.enqueue([&] { waiters.Wait(); });
  ASSERT_TRUE(waiters.Reach(8));
  waiters.Release();
  // The idle ones end one after the other; wait for it without a deadline of
  // our own (the test's timeout catches a queue that never shrinks).
  while (queue.Threads() > 2)
    std::this_thread::sleep_for(5ms);
  EXPECT_EQ(queue.Threads(), 2u);
  // Ended threads are joined as new work comes, and the work still runs.
  std::atomic<bool> ran{false};
  queue.enqueue([&] { ran = true; });
  queue.shutdown();
  EXPECT_TRUE(ran);
}

TEST(ElasticTaskQueue, AServerAnswersWhileMoreClientsWaitThanTheLibraryPoolHas)
{
  const int waiting = int(CPPHTTPLIB_THREAD_POOL_COUNT) + 4;
  Waiters waiters;
  httplib::Server server;
  server.new_task_queue = [] { return new ElasticTaskQueue(2, 256, 10s); };
  server.Get("/wait", [&](const httplib::Request&, httplib::Response& response) {
    waiters.Wait();
    response.set_content("done", "text/plain");
  });
  server.Get("/ping", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("pong", "text/plain");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread listener([&] { server.listen_after_bind(); });

  std::vector<std::thread> clients;
  std::atomic<int> answered{0};
  for (int i = 0; i < waiting; ++i)
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", port);
      client.set_read_timeout(120, 0);
      if (const auto reply = client.Get("/wait"); reply && reply->body == "done")
        ++answered;
    });
  EXPECT_TRUE(waiters.Reach(waiting)) << "clients waited for a worker thread";
  httplib::Client newcomer("127.0.0.1", port);
  const auto pong = newcomer.Get("/ping");
  ASSERT_TRUE(pong);
  EXPECT_EQ(pong->body, "pong");

  waiters.Release();
  for (std::thread& client : clients)
    client.join();
  server.stop();
  listener.join();
  EXPECT_EQ(answered, waiting);
}

} // namespace
} // namespace qhost
