#include "lod_test_support.h"

#include <cmath>
#include <map>
#include <tuple>

#include "host/geometry/edge_uses.h"
#include "host/geometry/primitives.h"
#include "host/lod/polygon_triangles.h"

namespace qhost::testing {
namespace {

std::vector<Vector> PointNormalsOfCorners(const MeshData& mesh, Vector up)
{
  std::vector<Vector> normals;
  for (const CPolygon& p : mesh.polygons)
    for (const Int32 point : {p.a, p.b, p.c, p.d})
      normals.push_back(up.GetSquaredLength() > 0.0 ? up : mesh.points[point].GetNormalized());
  return normals;
}

} // namespace

// Pushes every point out or in by a smooth bump pattern.
void AddBumps(MeshData& mesh)
{
  for (Vector& p : mesh.points)
    p *= 1.0 + 0.08 * std::sin(0.11 * p.x) * std::cos(0.07 * p.y + 0.05 * p.z);
}

TriangleMesh BumpySphere(Int32 segments)
{
  MeshData sphere = MakeSphere(100.0, segments);
  AddBumps(sphere);
  return TrianglesOfPolygons(sphere, PointNormalsOfCorners(sphere, Vector()));
}

TriangleMesh BumpyRoundedCube(Int32 segments)
{
  MeshData cube = MakeCube(Vector(200.0), segments, segments, segments);
  for (Vector& p : cube.points)
    p = p.GetNormalized() * 100.0;
  AddBumps(cube);
  return TrianglesOfPolygons(cube, PointNormalsOfCorners(cube, Vector()));
}

TriangleMesh FlatGrid(Int32 segments)
{
  const MeshData plane = MakePlane(200.0, 200.0, segments, segments);
  return TrianglesOfPolygons(plane, PointNormalsOfCorners(plane, Vector(0.0, 1.0, 0.0)));
}

std::size_t OpenEdges(const TriangleMesh& mesh)
{
  std::map<std::tuple<float, float, float>, Int32> pointOf;
  std::vector<CPolygon> triangles;
  Int32 corner[3];
  for (std::size_t i = 0; i < mesh.indices.size(); ++i)
  {
    const std::uint32_t v = mesh.indices[i];
    const auto key = std::make_tuple(mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]);
    corner[i % 3] = pointOf.emplace(key, Int32(pointOf.size())).first->second;
    if (i % 3 == 2)
      triangles.push_back(CPolygon(corner[0], corner[1], corner[2]));
  }
  const std::vector<EdgeUse> uses = CollectEdgeUses(triangles);
  std::size_t open = 0;
  for (std::size_t first = 0; first < uses.size();)
  {
    const std::size_t run = EdgeRunLength(uses, first);
    int balance = 0; // sides running low -> high minus sides running high -> low
    for (std::size_t i = first; i < first + run; ++i)
      balance += uses[i].highCorner == (uses[i].lowCorner + 1) % 3 ? 1 : -1;
    open += balance != 0;
    first += run;
  }
  return open;
}

} // namespace qhost::testing
