#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "host/inspect/mesh_report.h"
#include "host/inspect/report_text.h"

namespace qhost {
namespace {

//     7-------6
//    /|      /|      z up, y back; every face wound
//   4-------5 |      counter-clockwise seen from outside
//   | 3-----|-2
//   |/      |/
//   0-------1
MeshData Cube(Float size = 2.0, Vector offset = Vector())
{
  MeshData mesh;
  for (int i = 0; i < 8; ++i)
  {
    const Float x = (i == 1 || i == 2 || i == 5 || i == 6) ? size : 0.0;
    const Float y = (i == 2 || i == 3 || i == 6 || i == 7) ? size : 0.0;
    const Float z = i >= 4 ? size : 0.0;
    mesh.points.push_back(Vector(x, y, z) + offset);
  }
  mesh.polygons = {CPolygon(0, 3, 2, 1), CPolygon(4, 5, 6, 7), CPolygon(0, 1, 5, 4),
                   CPolygon(1, 2, 6, 5), CPolygon(2, 3, 7, 6), CPolygon(3, 0, 4, 7)};
  return mesh;
}

// Appends other's points and polygons to mesh.
void Append(MeshData& mesh, const MeshData& other)
{
  const auto base = Int32(mesh.points.size());
  mesh.points.insert(mesh.points.end(), other.points.begin(), other.points.end());
  for (const CPolygon& p : other.polygons)
    mesh.polygons.push_back(CPolygon(p.a + base, p.b + base, p.c + base, p.d + base));
}

TEST(MeshReport, CleanCubeIsClosedWithoutDefects)
{
  const MeshReport r = InspectMesh(Cube());
  EXPECT_EQ(r.points, 8);
  EXPECT_EQ(r.faces, 6);
  EXPECT_TRUE(r.Closed());
  EXPECT_FALSE(r.HasDefects());
  EXPECT_EQ(r.boxMax.x, 2.0);
  EXPECT_EQ(r.boxMin.z, 0.0);
}

TEST(MeshReport, PointsSplitAtSeamsAreMergedBeforeCountingHoles)
{
  // Give the top face its own copies of its four points, as UV-split files do.
  MeshData mesh = Cube();
  for (Int32 corner : {4, 5, 6, 7})
    mesh.points.push_back(mesh.points[size_t(corner)]);
  mesh.polygons[1] = CPolygon(8, 9, 10, 11);
  const MeshReport r = InspectMesh(mesh);
  EXPECT_EQ(r.points, 12);
  EXPECT_EQ(r.weldedPoints, 8);
  EXPECT_TRUE(r.Closed());
  EXPECT_FALSE(r.HasDefects());
}

TEST(MeshReport, MissingFaceLeavesFourBoundaryEdges)
{
  MeshData mesh = Cube();
  mesh.polygons.pop_back();
  const MeshReport r = InspectMesh(mesh);
  EXPECT_FALSE(r.Closed());
  EXPECT_EQ(r.boundaryEdges, 4);
  EXPECT_EQ(r.foldedEdges, 0);
}

TEST(MeshReport, FlippedFaceIsInconsistentButNotFolded)
{
  MeshData mesh = Cube();
  mesh.polygons[1] = CPolygon(7, 6, 5, 4);
  const MeshReport r = InspectMesh(mesh);
  EXPECT_EQ(r.inconsistentEdges, 4);
  // Compared by geometry, the flipped face still fits its neighbours.
  EXPECT_EQ(r.foldedEdges, 0);
  EXPECT_EQ(r.turnedFaces, 0);
}

TEST(MeshReport, EdgeSharedByThreeFacesIsNonManifold)
{
  MeshData mesh = Cube();
  mesh.points.push_back(Vector(1.0, -3.0, 0.0));
  mesh.polygons.push_back(CPolygon(0, 1, 8));
  const MeshReport r = InspectMesh(mesh);
  EXPECT_EQ(r.nonManifoldEdges, 1);
  EXPECT_EQ(r.boundaryEdges, 2);
}

TEST(MeshReport, SharpCrestFoldsAndSpikeTurnsFaces)
{
  //  A strip of two quads meeting at a crest along x: at 60° slopes each side
  //  their normals are 120° apart; at 30° slopes 60° apart.
  const auto strip = [](Float slope) {
    MeshData mesh;
    mesh.points = {Vector(0, -1, 0), Vector(1, -1, 0), Vector(1, 0, slope), Vector(0, 0, slope),
                   Vector(1, 1, 0),  Vector(0, 1, 0)};
    mesh.polygons = {CPolygon(0, 1, 2, 3), CPolygon(3, 2, 4, 5)};
    return mesh;
  };
  EXPECT_EQ(InspectMesh(strip(std::tan(60.0 * kPi / 180.0))).foldedEdges, 1);
  EXPECT_EQ(InspectMesh(strip(std::tan(30.0 * kPi / 180.0))).foldedEdges, 0);

  // 12--13--14--15   A 3 x 3 grid whose centre face is mirrored by
  //  |   |   |   |   swapping the positions of 5 and 6, and of 9 and
  //  8---9--10--11   10: the centre face then faces down while its
  //  |   | C |   |   left and right neighbours still face up.
  //  4---5---6---7
  //  |   |   |   |
  //  0---1---2---3
  MeshData grid;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      grid.points.push_back(Vector(x, y, 0));
  for (Int32 y = 0; y < 3; ++y)
    for (Int32 x = 0; x < 3; ++x)
      grid.polygons.push_back(CPolygon(4 * y + x, 4 * y + x + 1, 4 * y + x + 5, 4 * y + x + 4));
  EXPECT_EQ(InspectMesh(grid).turnedFaces, 0);
  std::swap(grid.points[5], grid.points[6]);
  std::swap(grid.points[9], grid.points[10]);
  EXPECT_EQ(InspectMesh(grid).turnedFaces, 1);
}

TEST(MeshReport, RepeatedCornersAndZeroAreaAreDegenerate)
{
  MeshData mesh = Cube();
  mesh.polygons.push_back(CPolygon(0, 1, 1, 2));              // repeated corner in a quad
  mesh.points.push_back(Vector(1.0, 0.0, 0.0));                // on the edge 0-1
  mesh.polygons.push_back(CPolygon(0, 8, 1));                  // no area
  EXPECT_EQ(InspectMesh(mesh).degenerateFaces, 2);
}

TEST(MeshReport, InterpenetratingCubesIntersectButTouchingOnesDoNot)
{
  MeshData crossing = Cube();
  Append(crossing, Cube(2.0, Vector(1.0, 0.5, 0.5)));
  EXPECT_GT(InspectMesh(crossing).selfIntersections, 0);

  // Side by side with a gap, and stacked face to face: contact only.
  MeshData apart = Cube();
  Append(apart, Cube(2.0, Vector(2.5, 0.0, 0.0)));
  EXPECT_EQ(InspectMesh(apart).selfIntersections, 0);
  MeshData inside = Cube();
  Append(inside, Cube(1.0, Vector(0.5, 0.5, 0.5)));
  EXPECT_EQ(InspectMesh(inside).selfIntersections, 0);
}

TEST(MeshReport, EmptyMeshHasNothingToReport)
{
  const MeshReport r = InspectMesh(MeshData{});
  EXPECT_EQ(r.points, 0);
  EXPECT_FALSE(r.HasDefects());
}

TEST(MeshReportText, BoxInMetresAndDefectsNamed)
{
  constexpr Float kHostUnitsPerMetre = 100.0;
  MeshData mesh = Cube(200.0, Vector(-100.0, -100.0, -100.0));
  mesh.polygons.pop_back();
  const std::string text = FormatMeshReport(InspectMesh(mesh), kHostUnitsPerMetre);
  EXPECT_NE(text.find("bounding box min (m): -1.0000 -1.0000 -1.0000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("size (m): 2.0000 2.0000 2.0000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("closed: no\n"), std::string::npos) << text;
  EXPECT_NE(text.find("defects: boundary edges\n"), std::string::npos) << text;
  EXPECT_NE(FormatMeshReport(InspectMesh(Cube()), kHostUnitsPerMetre).find("defects: none\n"), std::string::npos);
}

} // namespace
} // namespace qhost
