// A parallel counting sort of per-polygon items into one bucket per point.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <numeric>
#include <span>
#include <vector>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/parallel_reduce.h>

#include "hostapi/types.h"

namespace qhost {

template <typename Item>
struct PointBuckets
{
  // The items of point p are items[start[p]] .. items[start[p + 1] - 1], for
  // points 0 up to the largest index the polygons use.
  std::vector<std::size_t> start;
  std::vector<Item> items;

  std::size_t PointCount() const { return start.empty() ? 0 : start.size() - 1; }
  std::span<const Item> Of(std::size_t point) const
  {
    return std::span<const Item>(items).subspan(start[point], start[point + 1] - start[point]);
  }
};

// Buckets the items that emitItems(polygon, index, emit) passes to
// emit(point, item). Threads fill a bucket in any order, so callers sort each
// bucket by a key that makes the order unique.
template <typename Item, typename EmitItems>
PointBuckets<Item> BucketByPoint(std::span<const CPolygon> polygons, const EmitItems& emitItems)
{
  using Range = tbb::blocked_range<std::size_t>;
  const Range allPolygons(0, polygons.size());
  const Int32 maxPoint = tbb::parallel_reduce(
    allPolygons, Int32{-1},
    [&](const Range& r, Int32 found) {
      for (std::size_t index = r.begin(); index < r.end(); ++index)
      {
        const CPolygon& p = polygons[index];
        found = std::max({found, p.a, p.b, p.c, p.d});
      }
      return found;
    },
    [](Int32 one, Int32 other) { return std::max(one, other); });
  const auto pointCount = static_cast<std::size_t>(maxPoint + 1);

  const auto forEachItem = [&](const auto& visit) {
    tbb::parallel_for(allPolygons, [&](const Range& r) {
      for (std::size_t index = r.begin(); index < r.end(); ++index)
        emitItems(polygons[index], static_cast<Int32>(index), visit);
    });
  };

  // After the running sum start[p] is the end of p's bucket; filling counts
  // it back down to the bucket's beginning.
  PointBuckets<Item> buckets;
  buckets.start.assign(pointCount + 1, 0);
  forEachItem([&](Int32 point, const Item&) {
    std::atomic_ref<std::size_t>(buckets.start[point]).fetch_add(1, std::memory_order_relaxed);
  });
  std::inclusive_scan(buckets.start.begin(), buckets.start.end() - 1, buckets.start.begin());
  buckets.start.back() = pointCount == 0 ? 0 : buckets.start[pointCount - 1];
  buckets.items.resize(buckets.start.back());
  forEachItem([&](Int32 point, const Item& item) {
    const std::size_t end =
      std::atomic_ref<std::size_t>(buckets.start[point]).fetch_sub(1, std::memory_order_relaxed);
    buckets.items[end - 1] = item;
  });
  return buckets;
}

// Calls sortBucket(begin, end) for every point's bucket, in parallel.
template <typename Item, typename SortBucket>
void SortEachBucket(PointBuckets<Item>& buckets, const SortBucket& sortBucket)
{
  using Range = tbb::blocked_range<std::size_t>;
  tbb::parallel_for(Range(0, buckets.PointCount()), [&](const Range& r) {
    for (std::size_t point = r.begin(); point < r.end(); ++point)
    {
      const auto begin = buckets.items.begin() + static_cast<std::ptrdiff_t>(buckets.start[point]);
      sortBucket(begin, begin + static_cast<std::ptrdiff_t>(buckets.start[point + 1] - buckets.start[point]));
    }
  });
}

} // namespace qhost
