#include "host/geometry/edge_uses.h"

#include <algorithm>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

std::vector<EdgeUse> CollectEdgeUses(std::span<const CPolygon> polygons)
{
  std::vector<EdgeUse> uses;
  uses.reserve(polygons.size() * 4);
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
      const Int32 owner = static_cast<Int32>(index);
      uses.push_back(from < to ? EdgeUse{from, to, owner, corner, next} : EdgeUse{to, from, owner, next, corner});
    }
  }
  std::sort(uses.begin(), uses.end(), [](const EdgeUse& l, const EdgeUse& r) {
    if (l.low != r.low)
      return l.low < r.low;
    if (l.high != r.high)
      return l.high < r.high;
    return l.polygon < r.polygon;
  });
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
