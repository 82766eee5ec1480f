#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocationCount{0};
}

// None of these are inlined: GCC would otherwise see malloc() and free()
// behind every new and delete expression and flag them as mismatched.
[[gnu::noinline]] void* operator new(std::size_t size)
{
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size))
    return memory;
  throw std::bad_alloc();
}

// The host allocates some nodes with new (std::nothrow): it must come from the
// same allocator as the delete below.
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}

[[gnu::noinline]] void operator delete(void* memory) noexcept
{
  std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept
{
  std::free(memory);
}

namespace qhost::test {

long AllocationCount() { return allocationCount.load(std::memory_order_relaxed); }

} // namespace qhost::test
