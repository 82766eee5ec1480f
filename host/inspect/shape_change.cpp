#include "host/inspect/shape_change.h"

#include <cassert>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

std::int64_t CountFacesTurnedFrom(const MeshData& before, const MeshData& after)
{
  assert(before.polygons == after.polygons);
  std::int64_t turned = 0;
  for (const CPolygon& polygon : after.polygons)
    turned += Dot(PolygonNormal(before.points, polygon), PolygonNormal(after.points, polygon)) < 0.0 ? 1 : 0;
  return turned;
}

} // namespace qhost
