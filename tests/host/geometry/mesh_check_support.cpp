#include "mesh_check_support.h"

#include <cmath>
#include <set>

namespace qhost::test {

namespace {

std::vector<Int32> Corners(const CPolygon& p)
{
  return p.c == p.d ? std::vector<Int32>{p.a, p.b, p.c} : std::vector<Int32>{p.a, p.b, p.c, p.d};
}

bool Finite(const Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

} // namespace

std::map<std::pair<Int32, Int32>, Int32> CountEdgeUses(const MeshData& mesh)
{
  std::map<std::pair<Int32, Int32>, Int32> uses;
  for (const CPolygon& polygon : mesh.polygons)
  {
    const std::vector<Int32> corners = Corners(polygon);
    for (std::size_t i = 0; i < corners.size(); ++i)
    {
      const Int32 from = corners[i];
      const Int32 to = corners[(i + 1) % corners.size()];
      ++uses[{std::min(from, to), std::max(from, to)}];
    }
  }
  return uses;
}

bool IsClosed(const MeshData& mesh)
{
  for (const auto& [edge, count] : CountEdgeUses(mesh))
  {
    if (count != 2)
      return false;
  }
  return !mesh.polygons.empty();
}

bool IsConsistentlyWound(const MeshData& mesh)
{
  std::set<std::pair<Int32, Int32>> directed;
  for (const CPolygon& polygon : mesh.polygons)
  {
    const std::vector<Int32> corners = Corners(polygon);
    for (std::size_t i = 0; i < corners.size(); ++i)
    {
      if (!directed.insert({corners[i], corners[(i + 1) % corners.size()]}).second)
        return false;
    }
  }
  return true;
}

bool AllFinite(const MeshData& mesh)
{
  for (const Vector& point : mesh.points)
  {
    if (!Finite(point))
      return false;
  }
  for (const UVWStruct& uv : mesh.uvs)
  {
    if (!Finite(uv.a) || !Finite(uv.b) || !Finite(uv.c) || !Finite(uv.d))
      return false;
  }
  return true;
}

Vector Centroid(const MeshData& mesh, const CPolygon& polygon)
{
  const std::vector<Int32> corners = Corners(polygon);
  Vector sum;
  for (const Int32 corner : corners)
    sum += mesh.points[corner];
  return sum / static_cast<Float>(corners.size());
}

Vector WindingNormal(const MeshData& mesh, const CPolygon& polygon)
{
  const auto& p = mesh.points;
  return Cross(p[polygon.b] - p[polygon.d], p[polygon.c] - p[polygon.a]);
}

bool FacesAwayFromOrigin(const MeshData& mesh)
{
  for (const CPolygon& polygon : mesh.polygons)
  {
    if (Dot(WindingNormal(mesh, polygon), Centroid(mesh, polygon)) <= 0.0)
      return false;
  }
  return true;
}

Float SignedVolume(const MeshData& mesh)
{
  // Sum of tetrahedra from the origin over a fan of triangles per polygon.
  Float volume = 0.0;
  for (const CPolygon& polygon : mesh.polygons)
  {
    const std::vector<Int32> corners = Corners(polygon);
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
    {
      const Vector& a = mesh.points[corners[0]];
      volume += Dot(a, Cross(mesh.points[corners[i]], mesh.points[corners[i + 1]])) / 6.0;
    }
  }
  return volume;
}

} // namespace qhost::test
