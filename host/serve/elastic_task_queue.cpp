#include "host/serve/elastic_task_queue.h"

namespace qhost {

ElasticTaskQueue::ElasticTaskQueue(std::size_t kept, std::size_t ceiling, std::chrono::milliseconds idleEnd)
    : kept_(kept), ceiling_(std::max<std::size_t>(ceiling, 1)), idleEnd_(idleEnd)
{
}

ElasticTaskQueue::~ElasticTaskQueue() { shutdown(); }

void ElasticTaskQueue::enqueue(std::function<void()> job)
{
  std::unique_lock lock(mutex_);
  JoinEnded(lock);
  jobs_.push_back(std::move(job));
  // Idle workers each take one job; a job left over gets a thread of its own.
  if (jobs_.size() > idle_ && alive_ < ceiling_)
  {
    ++alive_;
    // The thread reads its own position only under the lock, so it is set
    // before the thread can look at it.
    const ThreadList::iterator self = threads_.emplace(threads_.end());
    *self = std::thread([this, self] { Work(self); });
  }
  lock.unlock();
  wake_.notify_one();
}

void ElasticTaskQueue::shutdown()
{
  ThreadList threads;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    threads.splice(threads.end(), threads_);
  }
  wake_.notify_all();
  for (std::thread& thread : threads)
    thread.join();
  std::lock_guard lock(mutex_);
  ended_.clear();
}

std::size_t ElasticTaskQueue::Threads() const
{
  std::lock_guard lock(mutex_);
  return alive_;
}

void ElasticTaskQueue::Work(ThreadList::iterator self)
{
  std::unique_lock lock(mutex_);
  for (;;)
  {
    ++idle_;
    const bool woken = wake_.wait_for(lock, idleEnd_, [this] { return stopping_ || !jobs_.empty(); });
    --idle_;
    if (!jobs_.empty())
    {
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
      continue;
    }
    if (stopping_ || (!woken && alive_ > kept_))
      break;
  }
  --alive_;
  if (!stopping_)
    ended_.push_back(self);
}

// Joins the threads that ended on their own; they have left their loop, so
// the joins are short, and they are done without the lock.
void ElasticTaskQueue::JoinEnded(std::unique_lock<std::mutex>& lock)
{
  if (ended_.empty())
    return;
  ThreadList ended;
  for (const ThreadList::iterator thread : ended_)
    ended.splice(ended.end(), threads_, thread);
  ended_.clear();
  lock.unlock();
  for (std::thread& thread : ended)
    thread.join();
  lock.lock();
}

} // namespace qhost
