#include "host/geometry/surface_texels.h"

#include <limits>
#include <utility>

#include <gtest/gtest.h>

namespace qhost {
namespace {

// One quad over the whole UV square whose points are (u, v, 0) scaled by 10:
// every texel's surface point is its own centre, scaled.
//
//   v=1  d ---- c
//        |      |
//   v=0  a ---- b
//       u=0    u=1
MeshData UnitSquare()
{
  MeshData mesh;
  mesh.points = {Vector(0, 0, 0), Vector(10, 0, 0), Vector(10, 10, 0), Vector(0, 10, 0)};
  mesh.polygons = {CPolygon(0, 1, 2, 3)};
  mesh.uvs = {{Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)}};
  return mesh;
}

TEST(SurfaceTexels, AQuadOverTheSquareCoversEveryTexelAtItsCentre)
{
  const SurfaceTexels texels = MapSurfaceTexels(UnitSquare(), 8, 4);
  ASSERT_EQ(texels.points.size(), 32u);
  EXPECT_EQ(texels.coveredCount, 32);
  for (Int32 y = 0; y < 4; ++y)
    for (Int32 x = 0; x < 8; ++x)
    {
      const size_t i = size_t(y) * 8 + size_t(x);
      // Row 0 is the top of the texture, where v is 1.
      EXPECT_NEAR(texels.points[i].x, (x + 0.5) / 8 * 10, 1e-9);
      EXPECT_NEAR(texels.points[i].y, (1.0 - (y + 0.5) / 4) * 10, 1e-9);
      EXPECT_EQ(texels.normals[i], Vector(0, 0, 1));
    }
}

TEST(SurfaceTexels, UncoveredTexelsTakeTheNearestCoveredPoint)
{
  // Only the triangle a-b-d of the square: its lower-left half in UV.
  MeshData mesh = UnitSquare();
  mesh.polygons = {CPolygon(0, 1, 3)};
  mesh.uvs = {{Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 1, 0)}};
  const SurfaceTexels texels = MapSurfaceTexels(mesh, 6, 6);
  EXPECT_GT(texels.coveredCount, 10);
  EXPECT_LT(texels.coveredCount, 36);
  for (Int32 y = 0; y < 6; ++y)
    for (Int32 x = 0; x < 6; ++x)
    {
      const size_t i = size_t(y) * 6 + size_t(x);
      if (texels.covered[i])
        continue;
      // A filled texel holds the point of one of its covered edge neighbours
      // or, further out, of a texel that did.
      bool fromNeighbour = false;
      for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
      {
        const Int32 nx = x + dx, ny = y + dy;
        if (nx >= 0 && ny >= 0 && nx < 6 && ny < 6)
          fromNeighbour |= texels.points[size_t(ny) * 6 + size_t(nx)] == texels.points[i];
      }
      EXPECT_TRUE(fromNeighbour) << x << "," << y;
      EXPECT_LE(texels.points[i].x + texels.points[i].y, 10.0 + 1e-9) << "a point of the triangle";
      EXPECT_EQ(texels.normals[i], Vector(0, 0, 1));
    }
}

TEST(SurfaceTexels, TwoIslandsOfOneEdgeMeetOnTheSurface)
{
  // Two faces of a fold sharing the edge b-c in space, laid out as separate
  // islands: the left half and the right half of the UV square, with the
  // shared edge on the outer border of each.
  MeshData mesh;
  mesh.points = {Vector(0, 0, 0), Vector(10, 0, 0), Vector(10, 10, 0), Vector(0, 10, 0), Vector(10, 0, -10),
                 Vector(10, 10, -10)};
  mesh.polygons = {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 5, 2)};
  mesh.uvs = {{Vector(0, 0, 0), Vector(0.5, 0, 0), Vector(0.5, 1, 0), Vector(0, 1, 0)},
              {Vector(1, 0, 0), Vector(0.5, 0, 0), Vector(0.5, 1, 0), Vector(1, 1, 0)}};
  const SurfaceTexels texels = MapSurfaceTexels(mesh, 20, 10);
  EXPECT_EQ(texels.coveredCount, 200);
  for (Int32 y = 0; y < 10; ++y)
  {
    // The first column shows the left face's far edge, the last the right
    // face's far edge, which is the shared edge x = 10 seen from the fold.
    const Vector left = texels.points[size_t(y) * 20];
    const Vector right = texels.points[size_t(y) * 20 + 19];
    EXPECT_NEAR(left.x, 0.5, 1e-9);
    EXPECT_NEAR(right.x, 10.0, 1e-9);
    EXPECT_NEAR(right.z, -0.5, 1e-9) << "half a texel away from the shared edge";
    EXPECT_EQ(texels.normals[size_t(y) * 20 + 19], Vector(1, 0, 0));
  }
}

TEST(SurfaceTexels, NoCoverageLeavesEveryPointAtTheOrigin)
{
  MeshData mesh = UnitSquare();
  for (Vector* uv : {&mesh.uvs[0].a, &mesh.uvs[0].b, &mesh.uvs[0].c, &mesh.uvs[0].d})
    *uv = *uv + Vector(3, 0, 0);
  const SurfaceTexels texels = MapSurfaceTexels(mesh, 4, 4);
  EXPECT_EQ(texels.coveredCount, 0);
  for (const Vector& p : texels.points)
    EXPECT_EQ(p, Vector());
}

TEST(SurfaceTexels, NonFiniteUVsAreSkipped)
{
  MeshData mesh = UnitSquare();
  mesh.uvs[0].c = Vector(std::numeric_limits<Float>::quiet_NaN(), 1e300, 0);
  const SurfaceTexels texels = MapSurfaceTexels(mesh, 4, 4);
  // Both triangles of the quad use corner c, so nothing is drawn, and the
  // huge coordinate is never turned into a texel index.
  EXPECT_EQ(texels.coveredCount, 0);
}

} // namespace
} // namespace qhost
