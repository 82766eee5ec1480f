// The build queue: one build at a time, always of the newest request, and
// builds overtaken by a newer request known as such.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

#include "host/serve/build_queue.h"

namespace qhost {
namespace {

// A build the test lets finish when it wants to.
class Gate
{
public:
  void Open()
  {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void Wait()
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return open_; });
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

TEST(BuildQueue, RequestsArrivingDuringABuildCollapseIntoTheNewest)
{
  Gate gate;
  std::promise<void> firstStarted;
  std::mutex mutex;
  std::vector<BuildTicket> built;
  BuildQueue* queuePointer = nullptr;
  std::vector<bool> supersededAtEnd;
  BuildQueue queue([&](const BuildTicket& ticket) {
    if (ticket.generation == 1)
    {
      firstStarted.set_value();
      gate.Wait();
    }
    std::lock_guard lock(mutex);
    built.push_back(ticket);
    supersededAtEnd.push_back(queuePointer->Superseded(ticket.generation));
  });
  queuePointer = &queue;
  EXPECT_EQ(queue.Request(true), 1u);
  firstStarted.get_future().wait();
  EXPECT_EQ(queue.Request(false), 2u);
  EXPECT_EQ(queue.Request(false), 3u);
  EXPECT_EQ(queue.Request(true), 4u);
  EXPECT_EQ(queue.Newest(), 4u);
  gate.Open();
  queue.WaitIdle();
  std::lock_guard lock(mutex);
  ASSERT_EQ(built.size(), 2u);
  EXPECT_EQ(built[0].generation, 1u);
  EXPECT_EQ(built[1].generation, 4u);
  EXPECT_TRUE(built[1].final);
  // The first build finished after newer requests came: its result is stale.
  EXPECT_EQ(supersededAtEnd, (std::vector<bool>{true, false}));
}

TEST(BuildQueue, EveryRequestFromManyThreadsEndsInOneNewestBuild)
{
  std::atomic<int> builds{0};
  std::atomic<std::uint64_t> lastBuilt{0};
  BuildQueue queue([&](const BuildTicket& ticket) {
    ++builds;
    // Builds run one at a time and in order of generation.
    EXPECT_GT(ticket.generation, lastBuilt.load());
    lastBuilt = ticket.generation;
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&queue] {
      for (int i = 0; i < 200; ++i)
        queue.Request(i % 2 == 0);
    });
  for (std::thread& thread : threads)
    thread.join();
  queue.WaitIdle();
  EXPECT_EQ(queue.Newest(), 800u);
  EXPECT_EQ(lastBuilt.load(), 800u);
  EXPECT_LE(builds.load(), 800);
  EXPECT_FALSE(queue.Superseded(800));
  EXPECT_TRUE(queue.Superseded(799));
}

} // namespace
} // namespace qhost
