#include "host/geometry/mesh_ops.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numeric>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/geometry/edge_uses.h"
#include "host/geometry/polygon_geometry.h"

namespace qhost {

namespace {

// Same corners in the opposite direction; a stays first, a triangle keeps c == d.
CPolygon Reversed(const CPolygon& p) { return p.IsTriangle() ? CPolygon(p.a, p.c, p.b) : CPolygon(p.a, p.d, p.c, p.b); }

UVWStruct Reversed(const UVWStruct& uv, bool triangle)
{
  return triangle ? UVWStruct{uv.a, uv.c, uv.b, uv.b} : UVWStruct{uv.a, uv.d, uv.c, uv.b};
}

void MergeSelections(MeshData& dst, const MeshData& src, Int32 polygonOffset)
{
  for (const NamedSelection& selection : src.selections)
  {
    auto target = std::find_if(dst.selections.begin(), dst.selections.end(),
                               [&](const NamedSelection& s) { return s.name == selection.name; });
    if (target == dst.selections.end())
    {
      dst.selections.push_back({selection.name, {}});
      target = dst.selections.end() - 1;
    }
    // Offsets exceed every index already in dst, so the merged list stays sorted.
    for (const Int32 polygon : selection.polygons)
      target->polygons.push_back(polygon + polygonOffset);
  }
}

bool SameBits(const Vector& a, const Vector& b)
{
  return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
         std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
         std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
}

// Disjoint-set forest over corner slots, with path halving.
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

} // namespace

void AppendMesh(MeshData& dst, const MeshData& src, const Matrix& transform)
{
  const Int32 pointOffset = static_cast<Int32>(dst.points.size());
  const Int32 polygonOffset = static_cast<Int32>(dst.polygons.size());
  const bool mirrored = transform.Determinant() < 0.0;
  const bool keepUVs = dst.HasUVs() || src.HasUVs();
  if (keepUVs && !dst.HasUVs())
    dst.uvs.assign(dst.polygons.size(), UVWStruct{});

  dst.points.reserve(dst.points.size() + src.points.size());
  for (const Vector& point : src.points)
    dst.points.push_back(transform * point);

  dst.polygons.reserve(dst.polygons.size() + src.polygons.size());
  for (const CPolygon& polygon : src.polygons)
  {
    const CPolygon shifted(polygon.a + pointOffset, polygon.b + pointOffset, polygon.c + pointOffset,
                           polygon.d + pointOffset);
    dst.polygons.push_back(mirrored ? Reversed(shifted) : shifted);
  }

  if (keepUVs)
  {
    dst.uvs.reserve(dst.polygons.size());
    for (std::size_t index = 0; index < src.polygons.size(); ++index)
    {
      const UVWStruct uv = src.HasUVs() ? src.uvs[index] : UVWStruct{};
      dst.uvs.push_back(mirrored ? Reversed(uv, src.polygons[index].IsTriangle()) : uv);
    }
  }

  MergeSelections(dst, src, polygonOffset);
}

std::vector<Vector> ComputeCornerNormals(const MeshData& mesh, bool phongLimit, Float phongAngle)
{
  const std::size_t polygonCount = mesh.polygons.size();
  std::vector<Vector> faceNormals(polygonCount);
  std::vector<Vector> directions(polygonCount);
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, polygonCount), [&](const tbb::blocked_range<std::size_t>& r) {
    for (std::size_t index = r.begin(); index < r.end(); ++index)
    {
      faceNormals[index] = PolygonNormal(mesh.points, mesh.polygons[index]);
      directions[index] = faceNormals[index].GetNormalized();
    }
  });

  // Corner slots (polygon * 4 + corner) joined across smooth edges form the
  // smoothing fans around each point; a fan's normal is the sum of its faces'.
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
  // Faces of one edge that point exactly the same way pass the angle test with
  // each other and with any third face alike, so each joins the first of its
  // direction and only distinct directions are tested against each other: a
  // file that repeats one face thousands of times costs linear time, not
  // quadratic. Only a pathological edge has more than kMaxDirectionsPerEdge
  // directions around it; faces of further directions stay sharp there.
  constexpr std::size_t kMaxDirectionsPerEdge = 64;
  std::vector<std::size_t> firstOfDirection;
  const std::vector<EdgeUse> uses = CollectEdgeUses(mesh.polygons);
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
      if (firstOfDirection.size() == kMaxDirectionsPerEdge)
        continue;
      for (const std::size_t k : firstOfDirection)
        if (smooth(uses[k], use))
          join(uses[k], use);
      firstOfDirection.push_back(i);
    }
    first = end;
  }

  // Each fan's sum collects in its root slot, in polygon order. Roots are the
  // smallest slot of their fan, so going down from the last slot every slot
  // reads its root's sum before the root itself is normalised.
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

} // namespace qhost
