#include "host/geometry/subdivide.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/geometry/primitives.h"
#include "mesh_check_support.h"

namespace qhost {
namespace {

using test::AllFinite;
using test::Centroid;
using test::IsClosed;
using test::IsConsistentlyWound;

MeshData SubdivideOrFail(const MeshData& in, const SubdivideOptions& options)
{
  MeshData out;
  Subdivide(in, options, out);
  return out;
}

SubdivideOptions Smooth(Int32 levels) { return {true, levels, kPi, kSubdivideModeKeepBoundaries}; }
SubdivideOptions Linear(Int32 levels) { return {false, levels, kPi, kSubdivideModeKeepBoundaries}; }

Float MaxAbsCoordinate(const Vector& p) { return std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)}); }

bool AllQuads(const MeshData& mesh)
{
  return std::none_of(mesh.polygons.begin(), mesh.polygons.end(), [](const CPolygon& p) { return p.IsTriangle(); });
}

// A square pyramid: one quad base and four triangles, closed.
MeshData MakePyramid()
{
  MeshData mesh;
  mesh.points = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}, {0, 1.5, 0}};
  mesh.polygons = {CPolygon(0, 1, 2, 3), CPolygon(1, 0, 4), CPolygon(2, 1, 4), CPolygon(3, 2, 4), CPolygon(0, 3, 4)};
  return mesh;
}

TEST(SubdivideTopology, CubeFourLevelsGivesKnownCounts)
{
  const MeshData result = SubdivideOrFail(MakeCube(Vector(2.0), 1, 1, 1), Smooth(4));
  EXPECT_EQ(result.polygons.size(), 1536u);
  EXPECT_EQ(result.points.size(), 1538u);
  EXPECT_TRUE(IsClosed(result));
  EXPECT_TRUE(IsConsistentlyWound(result));
  EXPECT_TRUE(AllQuads(result));
  EXPECT_TRUE(AllFinite(result));
}

TEST(SubdivideTopology, ClosedMeshesStayClosed)
{
  for (const MeshData& shape : {MakeSphere(1.0, 10), MakeCube(Vector(1.0, 2.0, 3.0), 2, 1, 3), MakePyramid()})
  {
    for (const bool smooth : {true, false})
    {
      const MeshData result = SubdivideOrFail(shape, {smooth, 2, kPi, kSubdivideModeKeepBoundaries});
      EXPECT_TRUE(IsClosed(result));
      EXPECT_TRUE(IsConsistentlyWound(result));
      EXPECT_GT(test::SignedVolume(result), 0.0);
      EXPECT_TRUE(AllFinite(result));
    }
  }
}

TEST(SubdivideTopology, TrianglesAndQuadsMixed)
{
  const MeshData result = SubdivideOrFail(MakePyramid(), Smooth(1));
  // One quad makes four, each triangle three; new points: 5 old + 8 edges + 5 faces.
  EXPECT_EQ(result.polygons.size(), 16u);
  EXPECT_EQ(result.points.size(), 18u);
  EXPECT_TRUE(AllQuads(result));
  EXPECT_TRUE(IsClosed(result));
  EXPECT_EQ(SubdividedPolygonCount(MakePyramid(), 3), 16 * 16);
}

TEST(SubdivideTopology, SameInputGivesSameBytes)
{
  const MeshData sphere = MakeSphere(1.0, 9);
  const MeshData first = SubdivideOrFail(sphere, Smooth(2));
  const MeshData second = SubdivideOrFail(sphere, Smooth(2));
  ASSERT_EQ(first.points.size(), second.points.size());
  EXPECT_EQ(std::memcmp(first.points.data(), second.points.data(), first.points.size() * sizeof(Vector)), 0);
  EXPECT_EQ(first.polygons, second.polygons);
  ASSERT_EQ(first.uvs.size(), second.uvs.size());
  EXPECT_EQ(std::memcmp(first.uvs.data(), second.uvs.data(), first.uvs.size() * sizeof(UVWStruct)), 0);
}

TEST(SubdivideShape, LinearSplitKeepsPointsOnTheOriginalFaces)
{
  const MeshData result = SubdivideOrFail(MakeCube(Vector(2.0), 1, 1, 1), Linear(2));
  EXPECT_EQ(result.polygons.size(), 96u);
  EXPECT_EQ(result.points.size(), 98u);
  for (const Vector& p : result.points)
    EXPECT_NEAR(MaxAbsCoordinate(p), 1.0, 1e-12);
}

TEST(SubdivideShape, SmoothCubeShrinksInsideItsBox)
{
  const MeshData result = SubdivideOrFail(MakeCube(Vector(2.0), 1, 1, 1), Smooth(3));
  for (const Vector& p : result.points)
    EXPECT_LT(MaxAbsCoordinate(p), 1.0);
}

TEST(SubdivideShape, SharpAngleKeepsTheCubeEdges)
{
  // Cube faces meet at 90 degrees, above a 30 degree limit: every edge creases.
  const MeshData result = SubdivideOrFail(MakeCube(Vector(2.0), 1, 1, 1), {true, 3, kPi / 6.0, 1});
  for (const Vector& p : result.points)
    EXPECT_NEAR(MaxAbsCoordinate(p), 1.0, 1e-12);
  EXPECT_TRUE(IsClosed(result));
}

TEST(SubdivideShape, KeepBoundariesPinsPlaneCornersAndSmoothBoundariesRoundsThem)
{
  const MeshData plane = MakePlane(2.0, 2.0, 2, 2);
  const Vector corner(-1.0, 0.0, 1.0);
  auto hasCorner = [&](const MeshData& mesh) {
    return std::any_of(mesh.points.begin(), mesh.points.end(),
                       [&](const Vector& p) { return (p - corner).GetLength() < 1e-12; });
  };
  EXPECT_TRUE(hasCorner(SubdivideOrFail(plane, {true, 2, kPi, kSubdivideModeKeepBoundaries})));
  EXPECT_FALSE(hasCorner(SubdivideOrFail(plane, {true, 2, kPi, kSubdivideModeSmoothBoundaries})));
  for (const Vector& p : SubdivideOrFail(plane, Smooth(2)).points)
    EXPECT_EQ(p.y, 0.0);
}

TEST(SubdivideSelections, ChildrenInheritTheirParentsMembership)
{
  MeshData cube = MakeCube(Vector(2.0), 1, 1, 1);
  // Faces are ordered +X, -X, +Y, -Y, +Z, -Z.
  cube.selections = {{"top", {2}}, {"sides", {0, 1}}, {"none", {}}};
  const MeshData result = SubdivideOrFail(cube, Linear(2));
  ASSERT_EQ(result.selections.size(), 3u);
  EXPECT_EQ(result.selections[0].name, "top");
  EXPECT_EQ(result.selections[1].name, "sides");
  EXPECT_EQ(result.selections[2].name, "none");
  ASSERT_EQ(result.selections[0].polygons.size(), 16u);
  ASSERT_EQ(result.selections[1].polygons.size(), 32u);
  EXPECT_TRUE(result.selections[2].polygons.empty());

  const std::set<Int32> top(result.selections[0].polygons.begin(), result.selections[0].polygons.end());
  for (std::size_t face = 0; face < result.polygons.size(); ++face)
  {
    const Vector centre = Centroid(result, result.polygons[face]);
    EXPECT_EQ(top.count(static_cast<Int32>(face)) == 1, std::abs(centre.y - 1.0) < 1e-12) << face;
  }
  for (const Int32 face : result.selections[1].polygons)
    EXPECT_NEAR(std::abs(Centroid(result, result.polygons[face]).x), 1.0, 1e-12);
  EXPECT_TRUE(std::is_sorted(result.selections[1].polygons.begin(), result.selections[1].polygons.end()));
}

TEST(SubdivideSelections, SmoothChildrenStayOnTheSelectedSide)
{
  MeshData cube = MakeCube(Vector(2.0), 1, 1, 1);
  cube.selections = {{"top", {2}}};
  const MeshData result = SubdivideOrFail(cube, Smooth(3));
  ASSERT_EQ(result.selections[0].polygons.size(), 64u);
  for (const Int32 face : result.selections[0].polygons)
    EXPECT_GT(Centroid(result, result.polygons[face]).y, 0.0);
}

TEST(SubdivideUVs, LinearSplitInterpolatesBilinearly)
{
  const MeshData plane = MakePlane(4.0, 2.0, 2, 1);
  const MeshData result = SubdivideOrFail(plane, Linear(3));
  ASSERT_TRUE(result.HasUVs());
  for (std::size_t i = 0; i < result.polygons.size(); ++i)
  {
    const CPolygon& p = result.polygons[i];
    const UVWStruct& uv = result.uvs[i];
    for (const auto& [point, corner] : {std::pair{p.a, uv.a}, {p.b, uv.b}, {p.c, uv.c}, {p.d, uv.d}})
    {
      EXPECT_NEAR(corner.x, result.points[point].x / 4.0 + 0.5, 1e-12);
      EXPECT_NEAR(corner.y, result.points[point].z / 2.0 + 0.5, 1e-12);
    }
  }
}

TEST(SubdivideUVs, SmoothUVsStayInsideThePlaneRange)
{
  for (const Int32 mode : {kSubdivideModeSmoothBoundaries, kSubdivideModeKeepBoundaries, kSubdivideModeLinearUVs})
  {
    const MeshData result = SubdivideOrFail(MakePlane(1.0, 1.0, 3, 2), {true, 3, kPi, mode});
    ASSERT_TRUE(result.HasUVs());
    EXPECT_TRUE(AllFinite(result));
    for (const UVWStruct& uv : result.uvs)
    {
      for (const Vector& corner : {uv.a, uv.b, uv.c, uv.d})
      {
        EXPECT_GE(corner.x, -1e-12) << mode;
        EXPECT_LE(corner.x, 1.0 + 1e-12) << mode;
        EXPECT_GE(corner.y, -1e-12) << mode;
        EXPECT_LE(corner.y, 1.0 + 1e-12) << mode;
      }
    }
  }
}

TEST(SubdivideUVs, LinearUVModeSplitsUVsOnTheParentGrid)
{
  const MeshData result = SubdivideOrFail(MakePlane(1.0, 1.0, 1, 1), {true, 2, kPi, kSubdivideModeLinearUVs});
  std::set<std::pair<Float, Float>> values;
  for (const UVWStruct& uv : result.uvs)
  {
    for (const Vector& corner : {uv.a, uv.b, uv.c, uv.d})
      values.insert({corner.x, corner.y});
  }
  std::set<std::pair<Float, Float>> expected;
  for (int i = 0; i <= 4; ++i)
  {
    for (int j = 0; j <= 4; ++j)
      expected.insert({i / 4.0, j / 4.0});
  }
  EXPECT_EQ(values, expected);
}

TEST(SubdivideUVs, SeamsStaySeparate)
{
  // The sphere's u seam runs along column 0: children there keep u near 0 on
  // one side and near 1 on the other, never a blend across the seam.
  const MeshData result = SubdivideOrFail(MakeSphere(1.0, 8), Smooth(2));
  for (const UVWStruct& uv : result.uvs)
  {
    const Float low = std::min({uv.a.x, uv.b.x, uv.c.x, uv.d.x});
    const Float high = std::max({uv.a.x, uv.b.x, uv.c.x, uv.d.x});
    EXPECT_LT(high - low, 0.25);
  }
}

TEST(SubdivideLimits, RefusesResultsAboveTheLimit)
{
  const MeshData cube = MakeCube(Vector(1.0), 1, 1, 1);
  EXPECT_EQ(SubdividedPolygonCount(cube, 9), 6 * (Int64{1} << 18));
  EXPECT_EQ(SubdividedPolygonCount(cube, 13), 6 * (Int64{1} << 26));
  EXPECT_GT(SubdividedPolygonCount(cube, 14), kMaxSubdividedPolygons);
  EXPECT_EQ(SubdividedPolygonCount(cube, 1000), kMaxSubdividedPolygons + 1);

  // The limit is what the free memory holds, never above the index range.
  EXPECT_EQ(SubdivisionPolygonLimit(0), 0);
  EXPECT_EQ(SubdivisionPolygonLimit(std::uint64_t{1} << 30), (Int64{1} << 30) / kBytesPerSubdividedPolygon);
  EXPECT_EQ(SubdivisionPolygonLimit(~std::uint64_t{0}), kMaxSubdividedPolygons);
  EXPECT_GT(AvailableMemoryBytes(), 0u);

  MeshData out = MakePyramid();
  EXPECT_THAT([&] { Subdivide(cube, Smooth(14), out); },
              ::testing::ThrowsMessage<std::length_error>(::testing::HasSubstr("limit")));
  EXPECT_EQ(out.points.size(), MakePyramid().points.size());
}

TEST(SubdivideLimits, NegativeAndZeroLevelsCopy)
{
  MeshData cube = MakeCube(Vector(1.0), 2, 1, 1);
  cube.selections = {{"a", {1, 3}}};
  for (const Int32 levels : {-3, 0})
  {
    const MeshData result = SubdivideOrFail(cube, Smooth(levels));
    EXPECT_EQ(result.points, cube.points);
    EXPECT_EQ(result.polygons, cube.polygons);
    EXPECT_EQ(result.uvs.size(), cube.uvs.size());
    ASSERT_EQ(result.selections.size(), 1u);
    EXPECT_EQ(result.selections[0].polygons, cube.selections[0].polygons);
  }
}

TEST(SubdivideLimits, InPlaceSubdivision)
{
  MeshData mesh = MakeCube(Vector(1.0), 1, 1, 1);
  Subdivide(mesh, Smooth(2), mesh);
  EXPECT_EQ(mesh.polygons.size(), 96u);
  EXPECT_TRUE(IsClosed(mesh));
}

TEST(SubdivideLimits, BrokenInputIsRefusedWithAMessage)
{
  // The message of the refusal; out is left as it was.
  auto refuse = [](const MeshData& mesh, const SubdivideOptions& options) -> std::string {
    MeshData out = MakePyramid();
    try
    {
      Subdivide(mesh, options, out);
    }
    catch (const std::invalid_argument& e)
    {
      EXPECT_EQ(out.polygons, MakePyramid().polygons);
      return e.what();
    }
    ADD_FAILURE() << "subdivided without a refusal";
    return {};
  };
  MeshData outOfRange = MakePyramid();
  outOfRange.polygons[2].b = 9;
  EXPECT_NE(refuse(outOfRange, Smooth(1)).find("point 9"), std::string::npos);

  MeshData degenerateQuad = MakePyramid();
  degenerateQuad.polygons[0] = CPolygon(0, 0, 2, 3);
  refuse(degenerateQuad, Smooth(1));

  MeshData degenerateTriangle = MakePyramid();
  degenerateTriangle.polygons[1] = CPolygon(1, 4, 4);
  refuse(degenerateTriangle, Linear(1));

  MeshData badSelection = MakePyramid();
  badSelection.selections = {{"s", {0, 5}}};
  refuse(badSelection, Smooth(1));

  MeshData badUVs = MakeCube(Vector(1.0), 1, 1, 1);
  badUVs.uvs.pop_back();
  refuse(badUVs, Smooth(1));

  MeshData notANumber = MakeCube(Vector(1.0), 1, 1, 1);
  notANumber.uvs[3].b.x = std::nan("");
  refuse(notANumber, Smooth(1));

  refuse(MakePyramid(), {true, 1, kPi, 7});
}

TEST(SubdivideLimits, NonManifoldFinStillRefines)
{
  // Three triangles on the edge 0-1, one of them wound the other way.
  MeshData fin;
  fin.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
  fin.polygons = {CPolygon(0, 1, 2), CPolygon(0, 1, 3), CPolygon(1, 0, 4)};
  const MeshData result = SubdivideOrFail(fin, Smooth(2));
  EXPECT_EQ(result.polygons.size(), 36u);
  EXPECT_TRUE(AllFinite(result));
}

TEST(SubdivideLimits, UnusedPointsAreCarriedAlong)
{
  MeshData mesh = MakePyramid();
  mesh.points.push_back({5.0, 5.0, 5.0});
  const MeshData result = SubdivideOrFail(mesh, Smooth(2));
  EXPECT_EQ(result.polygons.size(), 16u * 4u);
  EXPECT_TRUE(AllFinite(result));
  EXPECT_EQ(std::count(result.points.begin(), result.points.end(), Vector(5.0, 5.0, 5.0)), 1);
}

} // namespace
} // namespace qhost
