#include "host/inspect/mesh_report.h"

#include <algorithm>
#include <cmath>

#include "host/geometry/edge_uses.h"
#include "host/geometry/polygon_geometry.h"
#include "host/inspect/coincident_points.h"
#include "host/inspect/self_intersection.h"

namespace qhost {
namespace {

// A face whose area is below this fraction of the squared box diagonal has no
// usable normal.
constexpr Float kDegenerateAreaRatio = 1e-12;
// Distances below this fraction of the box diagonal count as touching.
constexpr Float kContactRatio = 1e-9;

bool HasRepeatedCorner(const CPolygon& p)
{
  if (p.IsTriangle())
    return p.a == p.b || p.b == p.c || p.a == p.c;
  return p.a == p.b || p.a == p.c || p.a == p.d || p.b == p.c || p.b == p.d || p.c == p.d;
}

// Whether the use runs from its low point to its high point in its polygon.
bool RunsUpward(const EdgeUse& use, std::span<const CPolygon> polygons)
{
  return (use.lowCorner + 1) % CornerCount(polygons[size_t(use.polygon)]) == use.highCorner;
}

void MeasureBox(const MeshData& mesh, MeshReport& report)
{
  if (mesh.points.empty())
    return;
  report.boxMin = report.boxMax = mesh.points.front();
  for (const Vector& p : mesh.points)
  {
    report.boxMin = Vector(std::min(report.boxMin.x, p.x), std::min(report.boxMin.y, p.y), std::min(report.boxMin.z, p.z));
    report.boxMax = Vector(std::max(report.boxMax.x, p.x), std::max(report.boxMax.y, p.y), std::max(report.boxMax.z, p.z));
  }
}

// Unit normal per face; zero for degenerate faces, which are counted.
std::vector<Vector> UnitNormals(std::span<const Vector> points, std::span<const CPolygon> polygons, Float minArea,
                                MeshReport& report)
{
  std::vector<Vector> normals(polygons.size());
  for (size_t f = 0; f < polygons.size(); ++f)
  {
    const Vector n = PolygonNormal(points, polygons[f]);
    const Float twiceArea = n.GetLength();
    if (HasRepeatedCorner(polygons[f]) || !(twiceArea > 2.0 * minArea))
      ++report.degenerateFaces;
    else
      normals[f] = n / twiceArea;
  }
  return normals;
}

// Classifies every edge and sums, per face, the normals of its neighbours as
// seen with the face's own winding.
void ClassifyEdges(std::span<const CPolygon> polygons, std::span<const Vector> normals, MeshReport& report,
                   std::vector<Vector>& neighbourNormals)
{
  const std::vector<EdgeUse> uses = CollectEdgeUses(polygons);
  for (size_t first = 0; first < uses.size();)
  {
    const size_t run = EdgeRunLength(uses, first);
    if (run == 1)
      ++report.boundaryEdges;
    else if (run > 2)
      ++report.nonManifoldEdges;
    else
    {
      const EdgeUse& l = uses[first];
      const EdgeUse& r = uses[first + 1];
      const bool consistent = RunsUpward(l, polygons) != RunsUpward(r, polygons);
      if (!consistent)
        ++report.inconsistentEdges;
      // A neighbour wound the other way is compared by its geometry, flipped.
      const Float sign = consistent ? 1.0 : -1.0;
      const Vector& nl = normals[size_t(l.polygon)];
      const Vector& nr = normals[size_t(r.polygon)];
      if (Dot(nl, nr) * sign < 0.0)
        ++report.foldedEdges;
      neighbourNormals[size_t(l.polygon)] += nr * sign;
      neighbourNormals[size_t(r.polygon)] += nl * sign;
    }
    first += run;
  }
}

} // namespace

MeshReport InspectMesh(const MeshData& mesh)
{
  MeshReport report;
  report.points = std::int64_t(mesh.points.size());
  report.faces = std::int64_t(mesh.polygons.size());
  MeasureBox(mesh, report);
  const Float diagonal = (report.boxMax - report.boxMin).GetLength();

  const std::vector<Int32> map = CoincidentPointMap(mesh.points);
  for (size_t i = 0; i < map.size(); ++i)
    report.weldedPoints += map[i] == Int32(i) ? 1 : 0;
  const std::vector<CPolygon> polygons = RemapPolygons(mesh.polygons, map);

  const std::vector<Vector> normals =
      UnitNormals(mesh.points, polygons, kDegenerateAreaRatio * diagonal * diagonal, report);
  std::vector<Vector> neighbourNormals(polygons.size());
  ClassifyEdges(polygons, normals, report, neighbourNormals);
  for (size_t f = 0; f < polygons.size(); ++f)
    if (Dot(normals[f], neighbourNormals[f]) < 0.0)
      ++report.turnedFaces;

  report.selfIntersections = CountSelfIntersectingPairs(mesh.points, polygons, kContactRatio * diagonal);
  return report;
}

} // namespace qhost
