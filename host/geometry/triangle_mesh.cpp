#include "host/geometry/triangle_mesh.h"

#include <algorithm>
#include <limits>

namespace qhost {

std::pair<Vector, Vector> BoundingBox(const TriangleMesh& mesh)
{
  Vector low(std::numeric_limits<Float>::max()), high(std::numeric_limits<Float>::lowest());
  for (std::uint32_t v = 0; v < mesh.VertexCount(); ++v)
  {
    const Vector p = mesh.Position(v);
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  return {low, high};
}

} // namespace qhost
