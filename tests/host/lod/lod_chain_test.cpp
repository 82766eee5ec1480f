#include "host/lod/lod_chain.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <array>
#include <map>
#include <set>
#include <tuple>

#include "lod_test_support.h"

namespace qhost {
namespace {

using testing::BumpyRoundedCube;
using testing::BumpySphere;
using testing::FlatGrid;
using testing::OpenEdges;

// Every corner of every triangle: position and UV, in a canonical order, so
// two meshes that hold the same triangles compare equal however their
// vertices and triangles are ordered.
std::multiset<std::vector<float>> CornerSet(const TriangleMesh& mesh)
{
  std::multiset<std::vector<float>> corners;
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    std::vector<std::vector<float>> triangle;
    for (int k = 0; k < 3; ++k)
    {
      const std::uint32_t v = mesh.indices[3 * t + k];
      triangle.push_back({mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2],
                          mesh.uvs[2 * v], mesh.uvs[2 * v + 1]});
    }
    std::rotate(triangle.begin(), std::min_element(triangle.begin(), triangle.end()), triangle.end());
    std::vector<float> flat;
    for (const auto& c : triangle)
      flat.insert(flat.end(), c.begin(), c.end());
    corners.insert(flat);
  }
  return corners;
}

TEST(LodChainTest, LevelsOfARockLikeMeshReachTheirTriangleTargets)
{
  const TriangleMesh rock = BumpyRoundedCube(40);
  const std::vector<TriangleMesh> levels = BuildLodChain(rock, kDefaultLodFractions);
  ASSERT_EQ(levels.size(), 4u);
  EXPECT_EQ(levels[0].TriangleCount(), rock.TriangleCount());
  for (std::size_t k = 1; k < levels.size(); ++k)
  {
    const double target = kDefaultLodFractions[k - 1] * double(rock.TriangleCount());
    EXPECT_NEAR(double(levels[k].TriangleCount()), target, 0.1 * target) << "level " << k;
  }
}

TEST(LodChainTest, EveryLevelOfAClosedMeshIsClosed)
{
  // The sphere's poles join many UV corners at one point, where collapses
  // are most likely to tear the surface.
  for (const TriangleMesh& closed : std::vector{BumpyRoundedCube(40), BumpySphere(64), BumpySphere(96)})
  {
    ASSERT_EQ(OpenEdges(closed), 0u);
    const std::vector<TriangleMesh> levels = BuildLodChain(closed, kDefaultLodFractions);
    for (std::size_t k = 1; k < levels.size(); ++k)
      EXPECT_EQ(OpenEdges(levels[k]), 0u) << "level " << k << " of " << closed.TriangleCount() << " triangles";
  }
}

// Triangles of a level that add nothing to its surface: two corners at one
// point, or two triangles on the same three points.
std::size_t EmptyOrDoubledTriangles(const TriangleMesh& mesh)
{
  std::map<std::tuple<float, float, float>, int> pointOf;
  std::set<std::array<int, 3>> seen;
  std::size_t found = 0;
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    std::array<int, 3> points;
    for (int k = 0; k < 3; ++k)
    {
      const std::uint32_t v = mesh.indices[3 * t + k];
      const auto key = std::make_tuple(mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]);
      points[k] = pointOf.emplace(key, int(pointOf.size())).first->second;
    }
    std::sort(points.begin(), points.end());
    found += points[0] == points[1] || points[1] == points[2] || !seen.insert(points).second;
  }
  return found;
}

TEST(LodChainTest, NoLevelHoldsTrianglesThatAddNothingToTheSurface)
{
  // Collapses near the UV sphere's poles leave flaps and slivers behind
  // unless they are cleared away.
  for (const TriangleMesh& closed : std::vector{BumpyRoundedCube(40), BumpySphere(64), BumpySphere(96)})
  {
    const std::vector<TriangleMesh> levels = BuildLodChain(closed, kDefaultLodFractions);
    for (std::size_t k = 1; k < levels.size(); ++k)
      EXPECT_EQ(EmptyOrDoubledTriangles(levels[k]), 0u) << "level " << k << " of " << closed.TriangleCount();
  }
}

TEST(LodChainTest, EveryLevelKeepsUVsInsideTheUnitSquareAndUnitNormals)
{
  const std::vector<TriangleMesh> levels = BuildLodChain(BumpySphere(64), kDefaultLodFractions);
  for (std::size_t k = 0; k < levels.size(); ++k)
  {
    const TriangleMesh& level = levels[k];
    ASSERT_EQ(level.uvs.size(), 2 * level.VertexCount());
    ASSERT_EQ(level.normals.size(), 3 * level.VertexCount());
    for (const float uv : level.uvs)
      EXPECT_TRUE(uv >= 0.0f && uv <= 1.0f) << "level " << k << ": " << uv;
    for (std::uint32_t v = 0; v < level.VertexCount(); ++v)
      EXPECT_NEAR(level.Normal(v).GetLength(), 1.0, 1e-5) << "level " << k;
  }
}

TEST(LodChainTest, SeamVerticesMoveTogetherSoEveryPositionKeepsOneUVPerSide)
{
  // A vertex of a simplified level is one of the full mesh's vertices with
  // its UV: no (position, UV) pair the full mesh does not have.
  const TriangleMesh sphere = BumpySphere(64);
  std::set<std::tuple<float, float, float, float, float>> original;
  for (std::uint32_t v = 0; v < sphere.VertexCount(); ++v)
    original.emplace(sphere.positions[3 * v], sphere.positions[3 * v + 1], sphere.positions[3 * v + 2],
                     sphere.uvs[2 * v], sphere.uvs[2 * v + 1]);
  const TriangleMesh simple = SimplifyMesh(sphere, 0.05);
  for (std::uint32_t v = 0; v < simple.VertexCount(); ++v)
    EXPECT_TRUE(original.count({simple.positions[3 * v], simple.positions[3 * v + 1], simple.positions[3 * v + 2],
                                simple.uvs[2 * v], simple.uvs[2 * v + 1]}));
}

TEST(LodChainTest, OpenBordersDoNotMove)
{
  const TriangleMesh grid = FlatGrid(40);
  const TriangleMesh simple = SimplifyMesh(grid, 0.05);
  // The border of a 40 x 40 grid keeps all of its 160 points, so the
  // simplified grid cannot drop below the triangles that fan them in.
  std::size_t borderPoints = 0;
  for (std::uint32_t v = 0; v < simple.VertexCount(); ++v)
  {
    const Vector p = simple.Position(v);
    borderPoints += std::abs(std::abs(p.x) - 100.0) < 1e-3 || std::abs(std::abs(p.z) - 100.0) < 1e-3;
  }
  EXPECT_EQ(borderPoints, 160u);
  EXPECT_EQ(OpenEdges(simple), 160u); // exactly the border edges are open
}

TEST(LodChainTest, VertexOrderOptimisationKeepsEveryTriangleAndDropsUnusedVertices)
{
  TriangleMesh mesh = BumpySphere(24);
  const auto before = CornerSet(mesh);
  // A vertex no triangle uses, appended at the end.
  mesh.positions.insert(mesh.positions.end(), {1.0f, 2.0f, 3.0f});
  mesh.normals.insert(mesh.normals.end(), {0.0f, 1.0f, 0.0f});
  mesh.uvs.insert(mesh.uvs.end(), {0.5f, 0.5f});
  const std::size_t usedVertices = mesh.VertexCount() - 1;
  OptimizeVertexOrder(mesh);
  EXPECT_EQ(mesh.VertexCount(), usedVertices);
  EXPECT_EQ(CornerSet(mesh), before);
  // Fetch order: vertices appear in the index buffer in ascending order of
  // first use.
  std::uint32_t next = 0;
  for (const std::uint32_t index : mesh.indices)
  {
    ASSERT_LE(index, next);
    next = std::max(next, index + 1);
  }
}

} // namespace
} // namespace qhost
