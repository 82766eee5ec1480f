#include "host/geometry/neighbor_rings.h"

#include <vector>

namespace qhost {

Bool NeighborRings::Init(Int32 pointCount, const CPolygon* polygons, Int32 polygonCount, const BaseSelect* bs)
{
  graph_ = NeighborGraph();
  if (pointCount < 0 || polygonCount < 0 || (polygonCount > 0 && !polygons))
    return false;
  std::span<const CPolygon> all(polygons, size_t(polygonCount));
  if (!bs)
    return graph_.Build(pointCount, all);
  std::vector<CPolygon> selected;
  for (Int32 i = 0; i < polygonCount; ++i)
    if (bs->IsSelected(i))
      selected.push_back(all[size_t(i)]);
  return graph_.Build(pointCount, selected);
}

void NeighborRings::GetPointOneRingPoints(Int32 point, const Int32** points, Int32* count) const
{
  std::span<const Int32> ring;
  if (point >= 0 && point < graph_.GetPointCount())
    ring = graph_.OneRing(point);
  if (points)
    *points = ring.data();
  if (count)
    *count = Int32(ring.size());
}

} // namespace qhost
