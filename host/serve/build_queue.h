// Builds for an interactive client: one at a time, on a thread of their own,
// always for the newest request. Every request gets a generation number;
// requests that arrive while a build runs replace each other, so only the
// newest is built next, and a build that finishes after a newer request came
// is known to be outdated (Superseded), so its result can be dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace qhost {

struct BuildTicket
{
  std::uint64_t generation = 0;
  bool final = false; // false: a quick build while the user is still changing things
};

class BuildQueue
{
public:
  using Build = std::function<void(const BuildTicket&)>;

  // build runs on the queue's thread; it must not throw.
  explicit BuildQueue(Build build);
  // Lets a running build finish, drops pending requests and joins the thread.
  ~BuildQueue();
  BuildQueue(const BuildQueue&) = delete;
  BuildQueue& operator=(const BuildQueue&) = delete;

  // Records a request newer than every earlier one; returns its generation.
  std::uint64_t Request(bool final);
  // Whether a request newer than generation has arrived.
  bool Superseded(std::uint64_t generation) const;
  // The newest generation requested so far (0 before the first request).
  std::uint64_t Newest() const;
  // Blocks until the newest request has been built.
  void WaitIdle();

private:
  void Run();

  Build build_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  BuildTicket newest_;
  std::uint64_t built_ = 0;
  bool stopping_ = false;
  std::thread worker_;
};

} // namespace qhost
