#include "host/lod/lod_chain.h"

#include <cassert>
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

// Area-weighted normals shared by all vertices at one position.
void RecomputeNormals(TriangleMesh& mesh)
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
