#include "host/geometry/primitives.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "mesh_check_support.h"

namespace qhost {
namespace {

using test::AllFinite;
using test::FacesAwayFromOrigin;
using test::IsClosed;
using test::IsConsistentlyWound;
using test::WindingNormal;

void ExpectUVsInUnitSquare(const MeshData& mesh)
{
  ASSERT_TRUE(mesh.HasUVs());
  for (const UVWStruct& uv : mesh.uvs)
  {
    for (const Vector& corner : {uv.a, uv.b, uv.c, uv.d})
    {
      EXPECT_GE(corner.x, 0.0);
      EXPECT_LE(corner.x, 1.0);
      EXPECT_GE(corner.y, 0.0);
      EXPECT_LE(corner.y, 1.0);
    }
  }
}

Int64 EulerCharacteristic(const MeshData& mesh)
{
  return static_cast<Int64>(mesh.points.size()) - static_cast<Int64>(test::CountEdgeUses(mesh).size()) +
         static_cast<Int64>(mesh.polygons.size());
}

TEST(MakeCube, CountsFollowTheSegments)
{
  const MeshData box = MakeCube(Vector(2.0, 3.0, 4.0), 2, 3, 4);
  EXPECT_EQ(box.polygons.size(), 2u * (2 * 3 + 3 * 4 + 4 * 2));
  // Surface lattice points: the full lattice minus its interior.
  EXPECT_EQ(box.points.size(), static_cast<std::size_t>(3 * 4 * 5 - 1 * 2 * 3));
  EXPECT_EQ(box.uvs.size(), box.polygons.size());
}

TEST(MakeCube, IsWatertightAndFacesOutwards)
{
  for (const MeshData& box : {MakeCube(Vector(1.0), 1, 1, 1), MakeCube(Vector(2.0, 0.5, 3.0), 3, 1, 2)})
  {
    EXPECT_TRUE(IsClosed(box));
    EXPECT_TRUE(IsConsistentlyWound(box));
    EXPECT_TRUE(FacesAwayFromOrigin(box));
    EXPECT_EQ(EulerCharacteristic(box), 2);
    EXPECT_TRUE(AllFinite(box));
  }
}

TEST(MakeCube, PointsLieOnTheCentredBox)
{
  const Vector size(2.0, 0.5, 3.0);
  const MeshData box = MakeCube(size, 3, 2, 2);
  Vector low(kMaxFloat), high(-kMaxFloat);
  for (const Vector& p : box.points)
  {
    const bool onSurface = std::abs(std::abs(p.x) - 1.0) < 1e-12 || std::abs(std::abs(p.y) - 0.25) < 1e-12 ||
                           std::abs(std::abs(p.z) - 1.5) < 1e-12;
    EXPECT_TRUE(onSurface) << p.x << " " << p.y << " " << p.z;
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  EXPECT_EQ(low, size * -0.5);
  EXPECT_EQ(high, size * 0.5);
}

TEST(MakeCube, FacesOccupySeparateUVCells)
{
  const MeshData box = MakeCube(Vector(1.0), 1, 1, 1);
  ExpectUVsInUnitSquare(box);
  std::set<std::pair<int, int>> cells;
  for (const UVWStruct& uv : box.uvs)
  {
    const Vector centre = (uv.a + uv.b + uv.c + uv.d) / 4.0;
    cells.insert({static_cast<int>(centre.x * 3.0), static_cast<int>(centre.y * 2.0)});
  }
  EXPECT_EQ(cells.size(), 6u);
}

TEST(MakeCube, SegmentCountsBelowOneAreRaised)
{
  const MeshData box = MakeCube(Vector(1.0), 0, -3, 1);
  EXPECT_EQ(box.polygons.size(), 6u);
  EXPECT_EQ(box.points.size(), 8u);
}

TEST(MakeSphere, UsesTrianglesAtThePolesAndQuadsElsewhere)
{
  const MeshData sphere = MakeSphere(2.0, 8);
  // 8 columns, 4 rows: two poles plus three rings of eight.
  EXPECT_EQ(sphere.points.size(), 26u);
  ASSERT_EQ(sphere.polygons.size(), 32u);
  const auto triangles = std::count_if(sphere.polygons.begin(), sphere.polygons.end(),
                                       [](const CPolygon& p) { return p.IsTriangle(); });
  EXPECT_EQ(triangles, 16);
}

TEST(MakeSphere, IsWatertightOutwardAndRound)
{
  for (const Int32 segments : {3, 8, 15, 32})
  {
    const MeshData sphere = MakeSphere(1.5, segments);
    EXPECT_TRUE(IsClosed(sphere)) << segments;
    EXPECT_TRUE(IsConsistentlyWound(sphere)) << segments;
    EXPECT_TRUE(FacesAwayFromOrigin(sphere)) << segments;
    EXPECT_EQ(EulerCharacteristic(sphere), 2) << segments;
    for (const Vector& p : sphere.points)
      EXPECT_NEAR(p.GetLength(), 1.5, 1e-12);
    ExpectUVsInUnitSquare(sphere);
  }
}

TEST(MakeSphere, SegmentsBelowThreeAreRaised)
{
  EXPECT_EQ(MakeSphere(1.0, 1).polygons.size(), MakeSphere(1.0, 3).polygons.size());
}

TEST(MakePlane, LiesInXZFacingUp)
{
  const MeshData plane = MakePlane(4.0, 2.0, 4, 3);
  EXPECT_EQ(plane.points.size(), 20u);
  ASSERT_EQ(plane.polygons.size(), 12u);
  for (const CPolygon& polygon : plane.polygons)
  {
    const Vector normal = WindingNormal(plane, polygon).GetNormalized();
    EXPECT_NEAR(normal.y, 1.0, 1e-12);
  }
  for (const Vector& p : plane.points)
  {
    EXPECT_EQ(p.y, 0.0);
    EXPECT_LE(std::abs(p.x), 2.0);
    EXPECT_LE(std::abs(p.z), 1.0);
  }
  EXPECT_TRUE(IsConsistentlyWound(plane));
}

TEST(MakePlane, BorderHasOneUseEdgesOnly)
{
  const MeshData plane = MakePlane(1.0, 1.0, 3, 2);
  Int32 border = 0;
  for (const auto& [edge, count] : test::CountEdgeUses(plane))
  {
    EXPECT_LE(count, 2);
    border += count == 1 ? 1 : 0;
  }
  EXPECT_EQ(border, 2 * (3 + 2));
}

TEST(MakePlane, UVsMapLinearlyFromPosition)
{
  const Float width = 4.0, height = 2.0;
  const MeshData plane = MakePlane(width, height, 4, 3);
  ExpectUVsInUnitSquare(plane);
  for (std::size_t i = 0; i < plane.polygons.size(); ++i)
  {
    const CPolygon& p = plane.polygons[i];
    const UVWStruct& uv = plane.uvs[i];
    for (const auto& [point, corner] : {std::pair{p.a, uv.a}, {p.b, uv.b}, {p.c, uv.c}, {p.d, uv.d}})
    {
      EXPECT_NEAR(corner.x, plane.points[point].x / width + 0.5, 1e-12);
      EXPECT_NEAR(corner.y, plane.points[point].z / height + 0.5, 1e-12);
    }
  }
}

} // namespace
} // namespace qhost
