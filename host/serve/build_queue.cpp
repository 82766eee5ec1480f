#include "host/serve/build_queue.h"

namespace qhost {

BuildQueue::BuildQueue(Build build) : build_(std::move(build)), worker_([this] { Run(); }) {}

BuildQueue::~BuildQueue()
{
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

std::uint64_t BuildQueue::Request(bool final)
{
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    newest_ = BuildTicket{newest_.generation + 1, final};
    generation = newest_.generation;
  }
  wake_.notify_one();
  return generation;
}

bool BuildQueue::Superseded(std::uint64_t generation) const
{
  std::lock_guard lock(mutex_);
  return newest_.generation > generation;
}

std::uint64_t BuildQueue::Newest() const
{
  std::lock_guard lock(mutex_);
  return newest_.generation;
}

void BuildQueue::WaitIdle()
{
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return stopping_ || built_ == newest_.generation; });
}

void BuildQueue::Run()
{
  std::unique_lock lock(mutex_);
  for (;;)
  {
    wake_.wait(lock, [this] { return stopping_ || built_ < newest_.generation; });
    if (stopping_)
      break;
    const BuildTicket ticket = newest_;
    lock.unlock();
    build_(ticket);
    lock.lock();
    built_ = ticket.generation;
    idle_.notify_all();
  }
  idle_.notify_all();
}

} // namespace qhost
