// Worker threads for the HTTP server that grow with the connections. The
// HTTP library gives each connection a worker for as long as it stays open,
// and a page keeps one waiting for the next build, so a fixed pool of a few
// threads stalls as soon as there are more open pages than threads. This
// queue starts a thread whenever a connection arrives and no worker is free,
// up to a ceiling, and lets a thread beyond the kept ones end after it has
// been idle for a while.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace qhost {

class ElasticTaskQueue : public httplib::TaskQueue
{
public:
  // kept: threads that stay when idle; ceiling: the most that run at once
  // (connections beyond it wait for a free worker); idleEnd: how long a
  // thread beyond the kept ones waits for work before it ends.
  ElasticTaskQueue(std::size_t kept, std::size_t ceiling, std::chrono::milliseconds idleEnd);
  ~ElasticTaskQueue() override;
  ElasticTaskQueue(const ElasticTaskQueue&) = delete;
  ElasticTaskQueue& operator=(const ElasticTaskQueue&) = delete;

  void enqueue(std::function<void()> job) override;
  // Runs the jobs already queued, then joins every thread.
  void shutdown() override;

  // Threads alive now.
  std::size_t Threads() const;

private:
  using ThreadList = std::list<std::thread>;
  void Work(ThreadList::iterator self);
  void JoinEnded(std::unique_lock<std::mutex>& lock);

  const std::size_t kept_;
  const std::size_t ceiling_;
  const std::chrono::milliseconds idleEnd_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  ThreadList threads_;                    // every thread started and not yet joined
  std::vector<ThreadList::iterator> ended_; // threads that left their loop
  std::size_t alive_ = 0;
  std::size_t idle_ = 0;
  bool stopping_ = false;
};

} // namespace qhost
