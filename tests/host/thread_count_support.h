// Runs host code under a fixed thread count, to check that results do not
// depend on how the work is split.
#pragma once

#include <tbb/global_control.h>
#include <tbb/task_arena.h>

namespace qhost::test {

constexpr int kThreadCounts[] = {1, 2, 8};

// Returns work() as computed by at most `threads` threads (more than the
// machine has cores is allowed: the work is then split that many ways).
template <typename Work>
auto WithThreads(int threads, Work&& work)
{
  const tbb::global_control limit(tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(threads));
  tbb::task_arena arena(threads);
  return arena.execute(work);
}

} // namespace qhost::test
