#include "host/geometry/neighbor_graph.h"

#include <algorithm>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/geometry/primitives.h"

namespace qhost {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<Int32> Ring(const NeighborGraph& graph, Int32 point)
{
  const std::span<const Int32> ring = graph.OneRing(point);
  return {ring.begin(), ring.end()};
}

TEST(NeighborGraph, CubeCornerHasThreeNeighbours)
{
  const MeshData cube = MakeCube(Vector(1.0), 1, 1, 1);
  NeighborGraph graph;
  ASSERT_TRUE(graph.Build(static_cast<Int32>(cube.points.size()), cube.polygons));
  ASSERT_EQ(graph.GetPointCount(), 8);
  for (Int32 point = 0; point < 8; ++point)
  {
    ASSERT_EQ(graph.OneRing(point).size(), 3u);
    // Each neighbour differs from the corner along exactly one axis.
    for (const Int32 neighbour : graph.OneRing(point))
    {
      const Vector delta = cube.points[neighbour] - cube.points[point];
      const int axesChanged = (delta.x != 0.0) + (delta.y != 0.0) + (delta.z != 0.0);
      EXPECT_EQ(axesChanged, 1);
    }
  }
}

TEST(NeighborGraph, GridPointsHaveFourThreeOrTwoNeighbours)
{
  // 3 x 3 quads: points are numbered row by row, four per row.
  const MeshData grid = MakePlane(3.0, 3.0, 3, 3);
  NeighborGraph graph;
  ASSERT_TRUE(graph.Build(static_cast<Int32>(grid.points.size()), grid.polygons));
  EXPECT_THAT(Ring(graph, 5), ElementsAre(1, 4, 6, 9));
  EXPECT_THAT(Ring(graph, 1), ElementsAre(0, 2, 5));
  EXPECT_THAT(Ring(graph, 0), ElementsAre(1, 4));
}

TEST(NeighborGraph, MixedTrianglesAndQuads)
{
  // A quad 0-1-2-3 and a triangle 1-4-2 sharing the edge 1-2; the triangle's
  // repeated corner must not make point 2 its own neighbour.
  const std::vector<CPolygon> polygons = {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 2)};
  NeighborGraph graph;
  ASSERT_TRUE(graph.Build(5, polygons));
  EXPECT_THAT(Ring(graph, 1), ElementsAre(0, 2, 4));
  EXPECT_THAT(Ring(graph, 2), ElementsAre(1, 3, 4));
  EXPECT_THAT(Ring(graph, 4), ElementsAre(1, 2));
}

TEST(NeighborGraph, UnusedPointsHaveEmptyRings)
{
  const std::vector<CPolygon> polygons = {CPolygon(0, 1, 2)};
  NeighborGraph graph;
  ASSERT_TRUE(graph.Build(5, polygons));
  EXPECT_THAT(Ring(graph, 3), IsEmpty());
  EXPECT_THAT(Ring(graph, 4), IsEmpty());
}

TEST(NeighborGraph, OutOfRangeIndicesFailTheBuild)
{
  NeighborGraph graph;
  const std::vector<CPolygon> tooHigh = {CPolygon(0, 1, 3)};
  EXPECT_FALSE(graph.Build(3, tooHigh));
  EXPECT_EQ(graph.GetPointCount(), 0);
  const std::vector<CPolygon> negative = {CPolygon(0, -1, 2, 1)};
  EXPECT_FALSE(graph.Build(3, negative));
  EXPECT_FALSE(graph.Build(-1, {}));
}

TEST(NeighborGraph, RingsAreSortedUniqueAndSymmetric)
{
  const MeshData sphere = MakeSphere(1.0, 12);
  const auto pointCount = static_cast<Int32>(sphere.points.size());
  NeighborGraph graph;
  ASSERT_TRUE(graph.Build(pointCount, sphere.polygons));
  for (Int32 point = 0; point < pointCount; ++point)
  {
    const std::span<const Int32> ring = graph.OneRing(point);
    EXPECT_TRUE(std::adjacent_find(ring.begin(), ring.end(), std::greater_equal<>()) == ring.end());
    for (const Int32 neighbour : ring)
    {
      EXPECT_NE(neighbour, point);
      const std::span<const Int32> back = graph.OneRing(neighbour);
      EXPECT_TRUE(std::binary_search(back.begin(), back.end(), point));
    }
  }
  // The poles see every column; ring points see two columns and two rows.
  EXPECT_EQ(graph.OneRing(0).size(), 12u);
  EXPECT_EQ(graph.OneRing(1).size(), 4u);
}

} // namespace
} // namespace qhost
