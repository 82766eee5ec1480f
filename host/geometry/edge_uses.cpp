#include "host/geometry/edge_uses.h"

#include <algorithm>
#include <utility>

#include "host/geometry/point_buckets.h"
#include "host/geometry/polygon_geometry.h"

namespace qhost {

namespace {

// The corner a side starts from: sides join neighbouring corners, and only the
// side that closes the polygon runs from its last corner back to corner 0.
Int32 StartCorner(const EdgeUse& use)
{
  if (use.highCorner == use.lowCorner + 1)
    return use.lowCorner;
  if (use.lowCorner == use.highCorner + 1)
    return use.highCorner;
  return std::max(use.lowCorner, use.highCorner);
}

} // namespace

void SortEdgeUsesOfLowPoint(std::span<EdgeUse> uses)
{
  // First the order a serial pass over the polygons meets the sides in, then
  // by (high, polygon). So sides of one polygon on one edge, which tie, always
  // end up in the same order, whatever order they came in and however
  // std::sort treats ties.
  std::sort(uses.begin(), uses.end(), [](const EdgeUse& one, const EdgeUse& other) {
    return one.polygon != other.polygon ? one.polygon < other.polygon : StartCorner(one) < StartCorner(other);
  });
  std::sort(uses.begin(), uses.end(), [](const EdgeUse& one, const EdgeUse& other) {
    return one.high != other.high ? one.high < other.high : one.polygon < other.polygon;
  });
}

std::vector<EdgeUse> CollectEdgeUses(std::span<const CPolygon> polygons)
{
  // A parallel counting sort by the low point, then a sort of each (short)
  // bucket: linear in the mesh size instead of one large comparison sort.
  PointBuckets<EdgeUse> uses =
    BucketByPoint<EdgeUse>(polygons, [](const CPolygon& polygon, Int32 owner, const auto& emit) {
      const Int32 corners = CornerCount(polygon);
      for (Int32 corner = 0; corner < corners; ++corner)
      {
        const Int32 next = corner + 1 == corners ? 0 : corner + 1;
        const Int32 from = CornerPoint(polygon, corner);
        const Int32 to = CornerPoint(polygon, next);
        if (from < to)
          emit(from, EdgeUse{from, to, owner, corner, next});
        else if (to < from)
          emit(to, EdgeUse{to, from, owner, next, corner});
      }
    });
  SortEachBucket(uses, [](auto begin, auto end) { SortEdgeUsesOfLowPoint(std::span<EdgeUse>(begin, end)); });
  return std::move(uses.items);
}

std::size_t EdgeRunLength(std::span<const EdgeUse> uses, std::size_t first)
{
  std::size_t last = first + 1;
  while (last < uses.size() && uses[last].low == uses[first].low && uses[last].high == uses[first].high)
    ++last;
  return last - first;
}

} // namespace qhost
