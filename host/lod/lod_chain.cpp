#include "host/lod/lod_chain.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <tuple>
#include <cmath>
#include <meshoptimizer.h>

namespace qhost {
namespace {

// meshoptimizer measures error relative to the mesh's extent; a level is
// asked for by triangle count, so no error bound may stop it early.
constexpr float kNoErrorBound = 1.0f;

template <typename T>
void RemapStream(std::vector<T>& stream, std::size_t components, std::span<const unsigned> remap,
                 std::size_t uniqueCount)
{
  if (stream.empty())
    return;
  std::vector<T> remapped(components * uniqueCount);
  meshopt_remapVertexBuffer(remapped.data(), stream.data(), remap.size(), components * sizeof(T), remap.data());
  stream.swap(remapped);
}

// For every vertex, the first vertex at the same position.
std::vector<unsigned> SamePosition(const TriangleMesh& mesh)
{
  const std::size_t vertexCount = mesh.VertexCount();
  std::vector<unsigned> samePosition(vertexCount);
  for (std::size_t v = 0; v < vertexCount; ++v)
    samePosition[v] = unsigned(v);
  std::vector<unsigned> shadow(mesh.indices.size());
  meshopt_generateShadowIndexBuffer(shadow.data(), mesh.indices.data(), mesh.indices.size(), mesh.positions.data(),
                                    vertexCount, 3 * sizeof(float), 3 * sizeof(float));
  for (std::size_t i = 0; i < shadow.size(); ++i)
    samePosition[mesh.indices[i]] = shadow[i];
  return samePosition;
}

// Collapses can leave triangles that add nothing to the surface: two corners
// at one point (the split vertices of a seam), or two triangles on the same
// three points facing opposite ways (a flap). Each such triangle's sides
// cancel against another's, so removing them keeps a closed surface closed
// and takes away the non-manifold edges they make, which viewers that merge
// duplicate faces would show as holes.
void RemoveCancellingTriangles(TriangleMesh& mesh)
{
  const std::vector<unsigned> samePosition = SamePosition(mesh);
  struct Placed
  {
    std::array<unsigned, 3> points; // ascending
    int facing;                     // +1 or -1: the corners' order against ascending
    std::size_t triangle;
  };
  std::vector<Placed> placed;
  std::vector<bool> keep(mesh.TriangleCount(), true);
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    const unsigned a = samePosition[mesh.indices[3 * t]], b = samePosition[mesh.indices[3 * t + 1]],
                   c = samePosition[mesh.indices[3 * t + 2]];
    if (a == b || b == c || a == c)
    {
      keep[t] = false;
      continue;
    }
    // A rotation of (a, b, c) is ascending exactly when it faces one way.
    const bool rising = (a < b) + (b < c) + (c < a) == 2;
    std::array<unsigned, 3> points = {a, b, c};
    std::sort(points.begin(), points.end());
    placed.push_back({points, rising ? 1 : -1, t});
  }
  std::sort(placed.begin(), placed.end(), [](const Placed& x, const Placed& y) {
    return std::tie(x.points, x.facing, x.triangle) < std::tie(y.points, y.facing, y.triangle);
  });
  for (std::size_t first = 0; first < placed.size();)
  {
    std::size_t end = first;
    while (end < placed.size() && placed[end].points == placed[first].points)
      ++end;
    // Sorted by facing: the group's -1 triangles come first; pair them off
    // with as many +1 triangles.
    std::size_t down = first;
    while (down < end && placed[down].facing < 0)
      ++down;
    const std::size_t pairs = std::min(down - first, end - down);
    for (std::size_t k = 0; k < pairs; ++k)
    {
      keep[placed[first + k].triangle] = false;
      keep[placed[down + k].triangle] = false;
    }
    first = end;
  }
  std::size_t kept = 0;
  for (std::size_t t = 0; t < keep.size(); ++t)
    if (keep[t])
    {
      std::copy_n(mesh.indices.begin() + std::ptrdiff_t(3 * t), 3, mesh.indices.begin() + std::ptrdiff_t(3 * kept));
      ++kept;
    }
  mesh.indices.resize(3 * kept);
}

// Area-weighted normals shared by all vertices at one position.
void RecomputeNormals(TriangleMesh& mesh)
{
  const std::size_t vertexCount = mesh.VertexCount();
  const std::vector<unsigned> samePosition = SamePosition(mesh);

  std::vector<Vector> sums(vertexCount);
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    const std::uint32_t* c = mesh.indices.data() + 3 * t;
    const Vector a = mesh.Position(c[0]);
    const Vector areaNormal = Cross(mesh.Position(c[1]) - a, mesh.Position(c[2]) - a);
    for (int k = 0; k < 3; ++k)
      sums[samePosition[c[k]]] += areaNormal;
  }
  for (std::size_t v = 0; v < vertexCount; ++v)
  {
    const Vector sum = sums[samePosition[v]];
    // A vertex whose triangles all collapsed to nothing keeps its normal.
    if (sum.GetSquaredLength() <= 0.0)
      continue;
    const Vector n = sum.GetNormalized();
    mesh.normals[3 * v] = float(n.x);
    mesh.normals[3 * v + 1] = float(n.y);
    mesh.normals[3 * v + 2] = float(n.z);
  }
}

} // namespace

void OptimizeVertexOrder(TriangleMesh& mesh)
{
  const std::size_t vertexCount = mesh.VertexCount();
  meshopt_optimizeVertexCache(mesh.indices.data(), mesh.indices.data(), mesh.indices.size(), vertexCount);
  std::vector<unsigned> remap(vertexCount);
  const std::size_t used =
    meshopt_optimizeVertexFetchRemap(remap.data(), mesh.indices.data(), mesh.indices.size(), vertexCount);
  meshopt_remapIndexBuffer(mesh.indices.data(), mesh.indices.data(), mesh.indices.size(), remap.data());
  RemapStream(mesh.positions, 3, remap, used);
  RemapStream(mesh.normals, 3, remap, used);
  RemapStream(mesh.uvs, 2, remap, used);
  RemapStream(mesh.tangents, 4, remap, used);
}

TriangleMesh SimplifyMesh(const TriangleMesh& mesh, double fraction)
{
  assert(fraction > 0.0 && fraction <= 1.0);
  TriangleMesh simple;
  const std::size_t targetTriangles = std::size_t(std::llround(fraction * double(mesh.TriangleCount())));
  simple.indices.resize(mesh.indices.size());
  const std::size_t kept =
    meshopt_simplify(simple.indices.data(), mesh.indices.data(), mesh.indices.size(), mesh.positions.data(),
                     mesh.VertexCount(), 3 * sizeof(float), 3 * targetTriangles, kNoErrorBound,
                     meshopt_SimplifyLockBorder, nullptr);
  simple.indices.resize(kept);
  simple.positions = mesh.positions;
  simple.normals = mesh.normals;
  simple.uvs = mesh.uvs;
  RemoveCancellingTriangles(simple);
  OptimizeVertexOrder(simple);
  RecomputeNormals(simple);
  return simple;
}

std::vector<TriangleMesh> BuildLodChain(TriangleMesh mesh, std::span<const double> fractions,
                                        const std::function<void(std::size_t level)>& progress)
{
  std::vector<TriangleMesh> levels;
  levels.reserve(fractions.size() + 1);
  const double fullTriangles = double(mesh.TriangleCount());
  OptimizeVertexOrder(mesh);
  levels.push_back(std::move(mesh));
  if (progress)
    progress(0);
  for (const double fraction : fractions)
  {
    const TriangleMesh& previous = levels.back();
    // Each level starts from the one before, which is cheaper than starting
    // from the full mesh every time.
    const double ofPrevious = std::min(1.0, fraction * fullTriangles / std::max(1.0, double(previous.TriangleCount())));
    levels.push_back(SimplifyMesh(previous, ofPrevious));
    if (progress)
      progress(levels.size() - 1);
  }
  return levels;
}

} // namespace qhost
