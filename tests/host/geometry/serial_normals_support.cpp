#include "serial_normals_support.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "host/geometry/polygon_geometry.h"
#include "host/geometry/primitives.h"
#include "host/geometry/subdivide.h"

namespace qhost::test {

namespace {

Int32 FindRoot(std::vector<Int32>& parent, Int32 slot)
{
  while (parent[slot] != slot)
  {
    parent[slot] = parent[parent[slot]];
    slot = parent[slot];
  }
  return slot;
}

void Unite(std::vector<Int32>& parent, Int32 first, Int32 second)
{
  const Int32 rootFirst = FindRoot(parent, first);
  const Int32 rootSecond = FindRoot(parent, second);
  if (rootFirst != rootSecond)
    parent[std::max(rootFirst, rootSecond)] = std::min(rootFirst, rootSecond);
}

bool SameBits(const Vector& a, const Vector& b)
{
  return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
         std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
         std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
}

// Deterministic value in [-1, 1] for an integer.
Float Hash(std::uint32_t n)
{
  n = (n ^ 61u) ^ (n >> 16);
  n *= 9u;
  n ^= n >> 4;
  n *= 0x27d4eb2du;
  n ^= n >> 15;
  return static_cast<Float>(n) / 2147483647.5 - 1.0;
}

void Roughen(MeshData& mesh, Float amount, std::uint32_t seed)
{
  for (std::size_t i = 0; i < mesh.points.size(); ++i)
  {
    const auto key = static_cast<std::uint32_t>(i) * 3u + seed;
    mesh.points[i] += Vector(Hash(key), Hash(key + 1u), Hash(key + 2u)) * amount;
  }
}

} // namespace

std::vector<EdgeUse> SerialEdgeUses(const std::vector<CPolygon>& polygons)
{
  // Counting sort by the low point, then std::sort of each bucket, which may
  // reorder sides of one polygon on one edge in buckets of more than 16.
  auto forEachSide = [&](auto&& visit) {
    for (std::size_t index = 0; index < polygons.size(); ++index)
    {
      const CPolygon& polygon = polygons[index];
      const Int32 corners = CornerCount(polygon);
      for (Int32 corner = 0; corner < corners; ++corner)
      {
        const Int32 next = (corner + 1) % corners;
        const Int32 from = CornerPoint(polygon, corner);
        const Int32 to = CornerPoint(polygon, next);
        if (from == to)
          continue;
        const auto owner = static_cast<Int32>(index);
        visit(from < to ? EdgeUse{from, to, owner, corner, next} : EdgeUse{to, from, owner, next, corner});
      }
    }
  };

  Int32 maxPoint = -1;
  for (const CPolygon& polygon : polygons)
    maxPoint = std::max({maxPoint, polygon.a, polygon.b, polygon.c, polygon.d});
  std::vector<std::size_t> bucketStart(static_cast<std::size_t>(maxPoint) + 2, 0);
  forEachSide([&](const EdgeUse& use) { ++bucketStart[use.low + 1]; });
  for (std::size_t point = 1; point < bucketStart.size(); ++point)
    bucketStart[point] += bucketStart[point - 1];

  std::vector<EdgeUse> uses(bucketStart.back());
  std::vector<std::size_t> fill(bucketStart.begin(), bucketStart.end() - 1);
  forEachSide([&](const EdgeUse& use) { uses[fill[use.low]++] = use; });
  for (std::size_t point = 0; point + 1 < bucketStart.size(); ++point)
  {
    std::sort(uses.begin() + bucketStart[point], uses.begin() + bucketStart[point + 1],
              [](const EdgeUse& l, const EdgeUse& r) {
                return l.high != r.high ? l.high < r.high : l.polygon < r.polygon;
              });
  }
  return uses;
}

std::vector<Vector> SerialCornerNormals(const MeshData& mesh, bool phongLimit, Float phongAngle)
{
  const std::size_t polygonCount = mesh.polygons.size();
  std::vector<Vector> faceNormals(polygonCount);
  std::vector<Vector> directions(polygonCount);
  for (std::size_t index = 0; index < polygonCount; ++index)
  {
    faceNormals[index] = PolygonNormal(mesh.points, mesh.polygons[index]);
    directions[index] = faceNormals[index].GetNormalized();
  }

  std::vector<Int32> fan(polygonCount * 4);
  std::iota(fan.begin(), fan.end(), 0);
  const Float minCosine = std::cos(std::clamp(phongAngle, 0.0, kPi));
  const auto smooth = [&](const EdgeUse& one, const EdgeUse& other) {
    return !phongLimit || Dot(directions[one.polygon], directions[other.polygon]) >= minCosine;
  };
  const auto join = [&](const EdgeUse& one, const EdgeUse& other) {
    Unite(fan, one.polygon * 4 + one.lowCorner, other.polygon * 4 + other.lowCorner);
    Unite(fan, one.polygon * 4 + one.highCorner, other.polygon * 4 + other.highCorner);
  };
  // Every use joins the first use of its exact direction; only the first 64
  // directions around an edge join each other.
  std::vector<std::size_t> firstOfDirection;
  const std::vector<EdgeUse> uses = SerialEdgeUses(mesh.polygons);
  for (std::size_t first = 0; first < uses.size();)
  {
    const std::size_t end = first + EdgeRunLength(uses, first);
    firstOfDirection.clear();
    for (std::size_t i = first; i < end; ++i)
    {
      const EdgeUse& use = uses[i];
      const auto same = std::find_if(firstOfDirection.begin(), firstOfDirection.end(), [&](std::size_t k) {
        return SameBits(directions[uses[k].polygon], directions[use.polygon]);
      });
      if (same != firstOfDirection.end())
      {
        if (smooth(uses[*same], use))
          join(uses[*same], use);
        continue;
      }
      if (firstOfDirection.size() == 64)
        continue;
      for (const std::size_t k : firstOfDirection)
        if (smooth(uses[k], use))
          join(uses[k], use);
      firstOfDirection.push_back(i);
    }
    first = end;
  }

  std::vector<Vector> normals(polygonCount * 4);
  for (std::size_t index = 0; index < polygonCount; ++index)
  {
    const Int32 corners = CornerCount(mesh.polygons[index]);
    for (Int32 corner = 0; corner < corners; ++corner)
      normals[FindRoot(fan, static_cast<Int32>(index * 4) + corner)] += faceNormals[index];
  }
  for (std::size_t slot = normals.size(); slot-- > 0;)
    normals[slot] = normals[FindRoot(fan, static_cast<Int32>(slot))].GetNormalized();
  for (std::size_t index = 0; index < polygonCount; ++index)
    if (CornerCount(mesh.polygons[index]) == 3)
      normals[index * 4 + 3] = normals[index * 4 + 2];
  return normals;
}

MeshData RoughSubdividedSphere()
{
  MeshData mesh = MakeSphere(1.0, 16);
  Roughen(mesh, 0.08, 1u);
  SubdivideOptions options;
  options.levels = 2;
  options.angle = 0.5;
  Subdivide(mesh, options, mesh);
  Roughen(mesh, 0.01, 7u);
  return mesh;
}

MeshData AwkwardPolygons()
{
  MeshData mesh;
  // A hub (point 0) with a ring of 80 points around it at varying heights, so
  // the hub starts more than 16 edges; the ring's first point also starts an
  // edge (0, 1) shared by 80 triangles of distinct directions.
  constexpr Int32 kRing = 80;
  mesh.points.emplace_back(0.0, 0.0, 0.0);
  for (Int32 i = 0; i < kRing; ++i)
  {
    const Float angle = 2.0 * kPi * i / kRing;
    mesh.points.emplace_back(std::cos(angle), 0.3 * Hash(static_cast<std::uint32_t>(i)), std::sin(angle));
  }
  for (Int32 i = 1; i <= kRing; ++i)
    mesh.polygons.emplace_back(0, i, i % kRing + 1);
  // Pages of a book around edge (0, 1): a triangle to each further ring point
  // and one to a point above the hub.
  const Int32 far = static_cast<Int32>(mesh.points.size());
  mesh.points.emplace_back(0.0, 2.0, 0.0);
  for (Int32 i = 2; i <= kRing; ++i)
    mesh.polygons.emplace_back(1, 0, i);
  mesh.polygons.emplace_back(0, 1, far);
  // Repeated points: a side collapses or the polygon runs back along an edge.
  mesh.polygons.emplace_back(0, 0, 2, 3);
  mesh.polygons.emplace_back(0, 5, 0, 5);
  mesh.polygons.emplace_back(5, 0, 5, 6);
  mesh.polygons.emplace_back(7, 7, 8);
  mesh.polygons.emplace_back(0, 9, 10, 9);
  // Zero area: three points on a line, and a triangle on a single point.
  const Int32 line = static_cast<Int32>(mesh.points.size());
  mesh.points.emplace_back(0.5, 0.0, 0.0);
  mesh.points.emplace_back(1.5, 0.0, 0.0);
  mesh.polygons.emplace_back(0, line, line + 1);
  mesh.polygons.emplace_back(far, far, far);
  // Repeated faces, each way round.
  for (int copy = 0; copy < 5; ++copy)
  {
    mesh.polygons.emplace_back(0, 11, 12);
    mesh.polygons.emplace_back(0, 12, 11);
    mesh.polygons.emplace_back(20, 21, 22, far);
  }
  return mesh;
}

} // namespace qhost::test
