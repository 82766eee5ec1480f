#include "host/lod/polygon_triangles.h"

#include "host/io/mesh_vertex_split.h"

namespace qhost {

TriangleMesh TrianglesOfPolygons(const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  const SharedCorners split = SplitCornersForFloatFormats(mesh, cornerNormals);
  const bool hasUVs = mesh.HasUVs();
  TriangleMesh triangles;
  const std::size_t vertexCount = split.firstSlot.size();
  triangles.positions.reserve(3 * vertexCount);
  triangles.normals.reserve(3 * vertexCount);
  triangles.uvs.reserve(hasUVs ? 2 * vertexCount : 0);
  for (const std::uint32_t slot : split.firstSlot)
  {
    const Vector& position = mesh.points[SlotPoint(mesh, slot)];
    // A degenerate corner has no normal; glTF wants a unit one all the same.
    const Vector unit = cornerNormals[slot].GetNormalized();
    const Vector n = unit.GetSquaredLength() > 0.0 ? unit : Vector(0.0, 0.0, 1.0);
    triangles.positions.insert(triangles.positions.end(), {float(position.x), float(position.y), float(position.z)});
    triangles.normals.insert(triangles.normals.end(), {float(n.x), float(n.y), float(n.z)});
    if (hasUVs)
    {
      const Vector uv = SlotUV(mesh, slot);
      triangles.uvs.insert(triangles.uvs.end(), {float(uv.x), float(uv.y)});
    }
  }
  triangles.indices.reserve(6 * mesh.polygons.size());
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const std::uint32_t* c = split.vertexOfSlot.data() + 4 * polygon;
    triangles.indices.insert(triangles.indices.end(), {c[0], c[1], c[2]});
    if (!mesh.polygons[polygon].IsTriangle())
      triangles.indices.insert(triangles.indices.end(), {c[0], c[2], c[3]});
  }
  return triangles;
}

} // namespace qhost
