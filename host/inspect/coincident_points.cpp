#include "host/inspect/coincident_points.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace qhost {

std::vector<Int32> CoincidentPointMap(std::span<const Vector> points)
{
  // Sort indices by position (ties by index), so equal points form runs whose
  // first entry is the lowest index.
  std::vector<Int32> order(points.size());
  std::iota(order.begin(), order.end(), 0);
  const auto key = [&](Int32 i) { return std::tie(points[size_t(i)].x, points[size_t(i)].y, points[size_t(i)].z); };
  std::sort(order.begin(), order.end(), [&](Int32 l, Int32 r) { return key(l) != key(r) ? key(l) < key(r) : l < r; });

  std::vector<Int32> map(points.size());
  for (size_t run = 0; run < order.size();)
  {
    size_t end = run + 1;
    while (end < order.size() && key(order[end]) == key(order[run]))
      ++end;
    for (size_t k = run; k < end; ++k)
      map[size_t(order[k])] = order[run];
    run = end;
  }
  return map;
}

std::vector<CPolygon> RemapPolygons(std::span<const CPolygon> polygons, std::span<const Int32> map)
{
  std::vector<CPolygon> remapped;
  remapped.reserve(polygons.size());
  for (const CPolygon& p : polygons)
    remapped.push_back(CPolygon(map[size_t(p.a)], map[size_t(p.b)], map[size_t(p.c)], map[size_t(p.d)]));
  return remapped;
}

} // namespace qhost
