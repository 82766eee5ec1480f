#include "host/geometry/surface_texels.h"

#include <cassert>

#include "host/geometry/polygon_geometry.h"
#include "host/geometry/texel_triangles.h"

namespace qhost {

SurfaceTexels MapSurfaceTexels(const MeshData& mesh, Int32 width, Int32 height)
{
  assert(mesh.HasUVs() && width > 0 && height > 0);
  // Quads as two triangles a-b-c, a-c-d; per triangle its polygon and the
  // polygon corners it uses.
  struct TriangleCorners
  {
    Int32 polygon;
    Int32 corners[3];
  };
  std::vector<TriangleCorners> triangles;
  std::vector<Float> uvs;
  triangles.reserve(2 * mesh.polygons.size());
  uvs.reserve(12 * mesh.polygons.size());
  for (std::size_t p = 0; p < mesh.polygons.size(); ++p)
  {
    const auto add = [&](Int32 a, Int32 b, Int32 c) {
      triangles.push_back({Int32(p), {a, b, c}});
      for (const Int32 k : {a, b, c})
      {
        const Vector uv = CornerUV(mesh.uvs[p], k);
        uvs.insert(uvs.end(), {uv.x, uv.y});
      }
    };
    add(0, 1, 2);
    if (!mesh.polygons[p].IsTriangle())
      add(0, 2, 3);
  }
  const TexelTriangles cover = CoverTexels(uvs, width, height);

  SurfaceTexels texels;
  texels.width = width;
  texels.height = height;
  texels.covered = cover.covered;
  texels.coveredCount = cover.coveredCount;
  texels.points.assign(cover.Count(), Vector());
  texels.normals.assign(cover.Count(), Vector());
  std::vector<Vector> polygonNormals(mesh.polygons.size());
  for (std::size_t p = 0; p < mesh.polygons.size(); ++p)
    polygonNormals[p] = PolygonNormal(mesh.points, mesh.polygons[p]).GetNormalized();
  for (std::size_t i = 0; i < cover.Count(); ++i)
  {
    if (cover.triangle[i] < 0)
      continue;
    const TriangleCorners& t = triangles[std::size_t(cover.triangle[i])];
    const CPolygon& polygon = mesh.polygons[std::size_t(t.polygon)];
    const Float wa = cover.weightA[i], wb = cover.weightB[i], wc = 1.0 - wa - wb;
    texels.points[i] = mesh.points[CornerPoint(polygon, t.corners[0])] * wa +
                       mesh.points[CornerPoint(polygon, t.corners[1])] * wb +
                       mesh.points[CornerPoint(polygon, t.corners[2])] * wc;
    texels.normals[i] = polygonNormals[std::size_t(t.polygon)];
  }
  return texels;
}

} // namespace qhost
