#include "host/geometry/vertex_tangents.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace qhost {
namespace {

float CornerAngle(const Vector& corner, const Vector& next, const Vector& previous)
{
  const Vector a = (next - corner).GetNormalized();
  const Vector b = (previous - corner).GetNormalized();
  return static_cast<float>(std::acos(std::clamp(Dot(a, b), -1.0, 1.0)));
}

} // namespace

Vector AnyPerpendicular(const Vector& n)
{
  const Vector axis = std::abs(n.x) < 0.9 ? Vector(1.0, 0.0, 0.0) : Vector(0.0, 1.0, 0.0);
  return Cross(axis, n).GetNormalized();
}

void ComputeVertexTangents(TriangleMesh& mesh)
{
  assert(mesh.HasUVs() && mesh.normals.size() == mesh.positions.size());
  const std::size_t vertexCount = mesh.VertexCount();
  std::vector<Vector> tangentSums(vertexCount);
  std::vector<Vector> bitangentSums(vertexCount);

  // Each triangle's dP/du and dP/dv, added to its corners by corner angle.
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    const std::uint32_t* corner = mesh.indices.data() + 3 * t;
    const Vector p[3] = {mesh.Position(corner[0]), mesh.Position(corner[1]), mesh.Position(corner[2])};
    const Float u[3] = {mesh.uvs[2 * corner[0]], mesh.uvs[2 * corner[1]], mesh.uvs[2 * corner[2]]};
    const Float v[3] = {mesh.uvs[2 * corner[0] + 1], mesh.uvs[2 * corner[1] + 1], mesh.uvs[2 * corner[2] + 1]};
    const Vector e1 = p[1] - p[0], e2 = p[2] - p[0];
    const Float du1 = u[1] - u[0], dv1 = v[1] - v[0], du2 = u[2] - u[0], dv2 = v[2] - v[0];
    const Float det = du1 * dv2 - du2 * dv1;
    if (!std::isfinite(det) || std::abs(det) < 1e-20)
      continue;
    const Vector tangent = ((e1 * dv2 - e2 * dv1) / det).GetNormalized();
    const Vector bitangent = ((e2 * du1 - e1 * du2) / det).GetNormalized();
    for (int k = 0; k < 3; ++k)
    {
      const float weight = CornerAngle(p[k], p[(k + 1) % 3], p[(k + 2) % 3]);
      if (!std::isfinite(weight))
        continue;
      tangentSums[corner[k]] += tangent * weight;
      bitangentSums[corner[k]] += bitangent * weight;
    }
  }

  // Gram-Schmidt against the normal; handedness from the bitangent's side.
  mesh.tangents.resize(4 * vertexCount);
  for (std::size_t v = 0; v < vertexCount; ++v)
  {
    const Vector n = mesh.Normal(std::uint32_t(v));
    Vector t = tangentSums[v] - n * Dot(n, tangentSums[v]);
    t = t.GetSquaredLength() > 1e-24 ? t.GetNormalized() : AnyPerpendicular(n);
    const float w = Dot(Cross(n, t), bitangentSums[v]) < 0.0 ? -1.0f : 1.0f;
    mesh.tangents[4 * v] = static_cast<float>(t.x);
    mesh.tangents[4 * v + 1] = static_cast<float>(t.y);
    mesh.tangents[4 * v + 2] = static_cast<float>(t.z);
    mesh.tangents[4 * v + 3] = w;
  }
}

} // namespace qhost
