#include "host/geometry/mesh_ops.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numeric>
#include <span>
#include <utility>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/geometry/corners_by_point.h"
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

// Disjoint-set forest over the corners of one point, with path halving. The
// root of a set is its smallest index.
std::size_t FindRoot(std::vector<std::size_t>& parent, std::size_t corner)
{
  while (parent[corner] != corner)
  {
    parent[corner] = parent[parent[corner]];
    corner = parent[corner];
  }
  return corner;
}

void Unite(std::vector<std::size_t>& parent, std::size_t first, std::size_t second)
{
  const std::size_t rootFirst = FindRoot(parent, first);
  const std::size_t rootSecond = FindRoot(parent, second);
  if (rootFirst != rootSecond)
    parent[std::max(rootFirst, rootSecond)] = std::min(rootFirst, rootSecond);
}

struct SmoothingRule
{
  const std::vector<Vector>& directions; // unit face normals
  bool phongLimit;
  Float minCosine;

  bool Smooth(const EdgeUse& one, const EdgeUse& other) const
  {
    return !phongLimit || Dot(directions[one.polygon], directions[other.polygon]) >= minCosine;
  }
};

// A side at the point being smoothed, with the index of its corner there among
// the point's corners.
struct SideAtPoint
{
  EdgeUse use;
  Int32 otherPoint;
  std::size_t corner;
};

// Calls join(one, other) for the pairs of uses of one edge whose faces smooth
// into each other; `run` holds them in CollectEdgeUses order. Faces of one edge
// that point exactly the same way pass the angle test with each other and with
// any third face alike, so each joins the first of its direction and only
// distinct directions are tested against each other: a file that repeats one
// face thousands of times costs linear time, not quadratic. Only a pathological
// edge has more than kMaxDirectionsPerEdge directions around it; faces of
// further directions stay sharp there.
template <typename Join>
void ForEachSmoothPair(std::span<const SideAtPoint> run, const SmoothingRule& rule, Join&& join)
{
  constexpr std::size_t kMaxDirectionsPerEdge = 64;
  std::array<std::size_t, kMaxDirectionsPerEdge> firstOfDirection;
  std::size_t directionCount = 0;
  for (std::size_t i = 0; i < run.size(); ++i)
  {
    const EdgeUse& use = run[i].use;
    const auto known = firstOfDirection.begin() + static_cast<std::ptrdiff_t>(directionCount);
    const auto same = std::find_if(firstOfDirection.begin(), known, [&](std::size_t k) {
      return SameBits(rule.directions[run[k].use.polygon], rule.directions[use.polygon]);
    });
    if (same != known)
    {
      if (rule.Smooth(run[*same].use, use))
        join(run[*same], run[i]);
      continue;
    }
    if (directionCount == kMaxDirectionsPerEdge)
      continue;
    for (auto k = firstOfDirection.begin(); k != known; ++k)
      if (rule.Smooth(run[*k].use, use))
        join(run[*k], run[i]);
    firstOfDirection[directionCount++] = i;
  }
}

// Visits the non-degenerate sides that meet at corner `corner` of polygon
// number `owner`: the one arriving there, then the one leaving.
template <typename Visit>
void ForEachSideAtCorner(const CPolygon& polygon, Int32 owner, Int32 corner, Visit&& visit)
{
  const Int32 corners = CornerCount(polygon);
  const Int32 previous = corner == 0 ? corners - 1 : corner - 1;
  const Int32 next = corner + 1 == corners ? 0 : corner + 1;
  for (const auto& [from, to] : {std::pair{previous, corner}, std::pair{corner, next}})
  {
    const Int32 fromPoint = CornerPoint(polygon, from);
    const Int32 toPoint = CornerPoint(polygon, to);
    if (fromPoint != toPoint)
      visit(fromPoint < toPoint ? EdgeUse{fromPoint, toPoint, owner, from, to}
                                : EdgeUse{toPoint, fromPoint, owner, to, from});
  }
}

// Per-task scratch space, reused from point to point.
struct FanScratch
{
  std::vector<SideAtPoint> sides;
  std::vector<std::size_t> parent;
  std::vector<Vector> sums;
};

// Writes the normals of the corners at one point. A fan never leaves its point
// (every join links two corners at an edge's low point or two at its high
// point), so the edges at this point decide its fans alone, and tasks for
// different points write disjoint corners. A fan's normal is the sum of its
// faces' normals, added in ascending slot order into its root, the fan's first
// corner, then normalised there.
void WriteFanNormals(std::span<const CPolygon> polygons, std::span<const Int32> slots, const SmoothingRule& rule,
                     const std::vector<Vector>& faceNormals, Int32 point, FanScratch& scratch,
                     std::vector<Vector>& normals)
{
  std::vector<SideAtPoint>& sides = scratch.sides;
  sides.clear();
  for (std::size_t corner = 0; corner < slots.size(); ++corner)
  {
    const Int32 slot = slots[corner];
    ForEachSideAtCorner(polygons[slot / 4], slot / 4, slot % 4, [&](const EdgeUse& use) {
      sides.push_back({use, use.low == point ? use.high : use.low, corner});
    });
  }
  // Every use of an edge is a side at both its end points, so the point's own
  // corners find all uses of its edges; sorted by polygon, each edge's uses are
  // in CollectEdgeUses order. Sides of one polygon on one edge tie, but only a
  // polygon that repeats a point has those, and its face normal is then zero
  // (or not finite), its direction zero: every angle test it takes has the
  // same outcome, so the order of its sides cannot change the fans.
  std::sort(sides.begin(), sides.end(), [](const SideAtPoint& one, const SideAtPoint& other) {
    if (one.otherPoint != other.otherPoint)
      return one.otherPoint < other.otherPoint;
    return one.use.polygon < other.use.polygon;
  });

  std::vector<std::size_t>& parent = scratch.parent;
  parent.resize(slots.size());
  std::iota(parent.begin(), parent.end(), std::size_t{0});
  for (auto first = sides.begin(); first != sides.end();)
  {
    const auto end = std::find_if(first, sides.end(), [&](const SideAtPoint& side) {
      return side.otherPoint != first->otherPoint;
    });
    ForEachSmoothPair(std::span<const SideAtPoint>(first, end), rule, [&](const auto& one, const auto& other) {
      Unite(parent, one.corner, other.corner);
    });
    first = end;
  }

  std::vector<Vector>& sums = scratch.sums;
  sums.assign(slots.size(), Vector());
  for (std::size_t corner = 0; corner < slots.size(); ++corner)
    sums[FindRoot(parent, corner)] += faceNormals[slots[corner] / 4];
  for (std::size_t corner = 0; corner < slots.size(); ++corner)
  {
    const std::size_t root = FindRoot(parent, corner);
    if (root == corner)
      sums[corner] = sums[corner].GetNormalized();
    const Int32 slot = slots[corner];
    normals[slot] = sums[root];
    // A triangle's fourth slot repeats its third corner.
    if (slot % 4 == 2 && polygons[slot / 4].IsTriangle())
      normals[slot + 1] = sums[root];
  }
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

  // Corners joined across smooth edges form the smoothing fans around each point.
  const CornersByPoint corners = GroupCornersByPoint(mesh.polygons);
  const SmoothingRule rule{directions, phongLimit, std::cos(std::clamp(phongAngle, 0.0, kPi))};
  std::vector<Vector> normals(polygonCount * 4);
  using PointRange = tbb::blocked_range<std::size_t>;
  tbb::parallel_for(PointRange(0, corners.PointCount()), [&](const PointRange& r) {
    FanScratch scratch;
    // The corners of one point lie in polygons far apart in memory. Their
    // addresses are known from the corner list, so fetching them a few points
    // ahead overlaps those cache misses instead of waiting for each in turn.
    constexpr std::size_t kPrefetchCorners = 32;
    const std::size_t lastCorner = corners.start[r.end()];
    std::size_t fetched = corners.start[r.begin()];
    for (std::size_t point = r.begin(); point < r.end(); ++point)
    {
      for (const std::size_t wanted = std::min(corners.start[point + 1] + kPrefetchCorners, lastCorner);
           fetched < wanted; ++fetched)
      {
        const Int32 slot = corners.items[fetched];
        __builtin_prefetch(&mesh.polygons[slot / 4]);
        __builtin_prefetch(&directions[slot / 4]);
        __builtin_prefetch(&faceNormals[slot / 4]);
        __builtin_prefetch(&normals[slot], 1);
      }
      WriteFanNormals(mesh.polygons, corners.Of(point), rule, faceNormals, static_cast<Int32>(point), scratch, normals);
    }
  });
  return normals;
}

} // namespace qhost
