#include <gtest/gtest.h>

#include "host/inspect/coincident_points.h"
#include "host/inspect/self_intersection.h"
#include "host/inspect/triangle_intersection.h"

namespace qhost {
namespace {

constexpr Float kTolerance = 1e-9;

bool Intersect(const Vector (&a)[3], const Vector (&b)[3])
{
  // The answer must not depend on the order of the triangles or their corners.
  const Vector rotated[3] = {b[1], b[2], b[0]};
  const bool forward = TrianglesIntersect(a, b, kTolerance);
  EXPECT_EQ(forward, TrianglesIntersect(b, a, kTolerance));
  EXPECT_EQ(forward, TrianglesIntersect(a, rotated, kTolerance));
  return forward;
}

TEST(TrianglesIntersect, CrossingAndPiercingTriangles)
{
  const Vector flat[3] = {Vector(0, 0, 0), Vector(4, 0, 0), Vector(0, 4, 0)};
  const Vector piercing[3] = {Vector(1, 1, -1), Vector(1, 1, 1), Vector(2, 1, 1)};
  EXPECT_TRUE(Intersect(flat, piercing));
  const Vector above[3] = {Vector(1, 1, 0.5), Vector(1, 1, 1), Vector(2, 1, 1)};
  EXPECT_FALSE(Intersect(flat, above));
  // Crosses the plane beside the triangle, not through it.
  const Vector beside[3] = {Vector(5, 5, -1), Vector(5, 5, 1), Vector(6, 5, 1)};
  EXPECT_FALSE(Intersect(flat, beside));
}

TEST(TrianglesIntersect, ContactAlongAPointOrEdgeIsNotIntersection)
{
  const Vector flat[3] = {Vector(0, 0, 0), Vector(4, 0, 0), Vector(0, 4, 0)};
  const Vector onCorner[3] = {Vector(0, 0, 0), Vector(-1, 0, 1), Vector(0, -1, 1)};
  EXPECT_FALSE(Intersect(flat, onCorner));
  const Vector standingOnEdge[3] = {Vector(1, 0, 0), Vector(3, 0, 0), Vector(2, 0, 2)};
  EXPECT_FALSE(Intersect(flat, standingOnEdge));
}

TEST(TrianglesIntersect, CoplanarOverlapNeedsArea)
{
  const Vector flat[3] = {Vector(0, 0, 0), Vector(4, 0, 0), Vector(0, 4, 0)};
  const Vector overlapping[3] = {Vector(1, 1, 0), Vector(5, 1, 0), Vector(1, 5, 0)};
  EXPECT_TRUE(Intersect(flat, overlapping));
  const Vector contained[3] = {Vector(0.5, 0.5, 0), Vector(1, 0.5, 0), Vector(0.5, 1, 0)};
  EXPECT_TRUE(Intersect(flat, contained));
  const Vector neighbour[3] = {Vector(4, 0, 0), Vector(0, 4, 0), Vector(4, 4, 0)};
  EXPECT_FALSE(Intersect(flat, neighbour));
  const Vector line[3] = {Vector(0, 0, 0), Vector(1, 1, 0), Vector(2, 2, 0)};
  EXPECT_FALSE(Intersect(flat, line));
}

TEST(CoincidentPoints, EqualPositionsMapToTheirFirstIndex)
{
  const std::vector<Vector> points = {Vector(1, 2, 3), Vector(0, 0, 0), Vector(1, 2, 3), Vector(0, 0, -0.0),
                                      Vector(1, 2, 3.0000001)};
  EXPECT_EQ(CoincidentPointMap(points), (std::vector<Int32>{0, 1, 0, 1, 4}));
  const std::vector<CPolygon> polygons = {CPolygon(2, 3, 4)};
  const std::vector<Int32> map = CoincidentPointMap(points);
  EXPECT_EQ(RemapPolygons(polygons, map).front(), CPolygon(0, 1, 4));
}

TEST(SelfIntersection, GridOfFacesCrossedByOneQuad)
{
  // A flat 40 x 40 grid pierced by one vertical quad across row 20: the quad
  // crosses the 40 faces of that row and nothing else.
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
  constexpr Int32 kCells = 40;
  for (Int32 y = 0; y <= kCells; ++y)
    for (Int32 x = 0; x <= kCells; ++x)
      points.push_back(Vector(x, y, 0));
  for (Int32 y = 0; y < kCells; ++y)
    for (Int32 x = 0; x < kCells; ++x)
    {
      const Int32 i = y * (kCells + 1) + x;
      polygons.push_back(CPolygon(i, i + 1, i + kCells + 2, i + kCells + 1));
    }
  EXPECT_EQ(CountSelfIntersectingPairs(points, polygons, kTolerance), 0);
  const auto base = Int32(points.size());
  for (const Vector& p : {Vector(-1, 20.5, -1), Vector(kCells + 1, 20.5, -1), Vector(kCells + 1, 20.5, 1),
                          Vector(-1, 20.5, 1)})
    points.push_back(p);
  polygons.push_back(CPolygon(base, base + 1, base + 2, base + 3));
  EXPECT_EQ(CountSelfIntersectingPairs(points, polygons, kTolerance), kCells);
}

} // namespace
} // namespace qhost
