#include "host/geometry/edge_uses.h"

#include <algorithm>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

std::vector<EdgeUse> CollectEdgeUses(std::span<const CPolygon> polygons)
{
  // Counting sort by the low point, then a sort of each (short) bucket: linear
  // in the mesh size instead of one large comparison sort.
  auto forEachSide = [&](auto&& visit) {
    for (std::size_t index = 0; index < polygons.size(); ++index)
    {
      const CPolygon& polygon = polygons[index];
      const Int32 corners = CornerCount(polygon);
      for (Int32 corner = 0; corner < corners; ++corner)
      {
        const Int32 next = (corner + 1) % corners;
        const Int32 from = CornerPoint(polygon, corner);
        const Int32 to = CornerPoint(polygon, next);
        if (from == to)
          continue;
        const auto owner = static_cast<Int32>(index);
        visit(from < to ? EdgeUse{from, to, owner, corner, next} : EdgeUse{to, from, owner, next, corner});
      }
    }
  };

  Int32 maxPoint = -1;
  for (const CPolygon& polygon : polygons)
    maxPoint = std::max({maxPoint, polygon.a, polygon.b, polygon.c, polygon.d});
  std::vector<std::size_t> bucketStart(static_cast<std::size_t>(maxPoint) + 2, 0);
  forEachSide([&](const EdgeUse& use) { ++bucketStart[use.low + 1]; });
  for (std::size_t point = 1; point < bucketStart.size(); ++point)
    bucketStart[point] += bucketStart[point - 1];

  std::vector<EdgeUse> uses(bucketStart.back());
  std::vector<std::size_t> fill(bucketStart.begin(), bucketStart.end() - 1);
  forEachSide([&](const EdgeUse& use) { uses[fill[use.low]++] = use; });
  for (std::size_t point = 0; point + 1 < bucketStart.size(); ++point)
  {
    std::sort(uses.begin() + bucketStart[point], uses.begin() + bucketStart[point + 1],
              [](const EdgeUse& l, const EdgeUse& r) { return l.high != r.high ? l.high < r.high : l.polygon < r.polygon; });
  }
  return uses;
}

std::size_t EdgeRunLength(std::span<const EdgeUse> uses, std::size_t first)
{
  std::size_t last = first + 1;
  while (last < uses.size() && uses[last].low == uses[first].low && uses[last].high == uses[first].high)
    ++last;
  return last - first;
}

} // namespace qhost
