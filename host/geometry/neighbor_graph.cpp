#include "host/geometry/neighbor_graph.h"

#include <algorithm>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

namespace {

// Calls visit(from, to) for both directions of every polygon side.
template <typename Visit>
void ForEachDirectedSide(std::span<const CPolygon> polygons, Visit&& visit)
{
  for (const CPolygon& polygon : polygons)
  {
    const Int32 corners = CornerCount(polygon);
    for (Int32 corner = 0; corner < corners; ++corner)
    {
      const Int32 from = CornerPoint(polygon, corner);
      const Int32 to = CornerPoint(polygon, (corner + 1) % corners);
      if (from == to)
        continue;
      visit(from, to);
      visit(to, from);
    }
  }
}

} // namespace

bool NeighborGraph::Build(Int32 pointCount, std::span<const CPolygon> polygons)
{
  offsets_.clear();
  indices_.clear();
  if (pointCount < 0)
    return false;
  for (const CPolygon& polygon : polygons)
  {
    for (Int32 corner = 0; corner < 4; ++corner)
    {
      const Int32 point = CornerPoint(polygon, corner);
      if (point < 0 || point >= pointCount)
        return false;
    }
  }

  // Counting pass, then a fill pass into per-point slots; an edge shared by two
  // polygons lands twice, so each slot is sorted and deduplicated afterwards.
  std::vector<Int32> slotOffsets(static_cast<std::size_t>(pointCount) + 1, 0);
  ForEachDirectedSide(polygons, [&](Int32 from, Int32) { ++slotOffsets[from + 1]; });
  for (Int32 point = 0; point < pointCount; ++point)
    slotOffsets[point + 1] += slotOffsets[point];

  std::vector<Int32> slots(static_cast<std::size_t>(slotOffsets.back()));
  std::vector<Int32> fill(slotOffsets.begin(), slotOffsets.end() - 1);
  ForEachDirectedSide(polygons, [&](Int32 from, Int32 to) { slots[fill[from]++] = to; });

  offsets_.assign(static_cast<std::size_t>(pointCount) + 1, 0);
  indices_.reserve(slots.size() / 2);
  for (Int32 point = 0; point < pointCount; ++point)
  {
    const auto begin = slots.begin() + slotOffsets[point];
    const auto end = slots.begin() + slotOffsets[point + 1];
    std::sort(begin, end);
    indices_.insert(indices_.end(), begin, std::unique(begin, end));
    offsets_[point + 1] = static_cast<Int32>(indices_.size());
  }
  return true;
}

} // namespace qhost
