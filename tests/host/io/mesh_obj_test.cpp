#include "host/io/mesh_obj.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "io_test_support.h"

namespace qhost {
namespace {

using testing::FlatCornerNormals;
using testing::QuadCube;
using testing::ReadText;
using testing::ScratchFolder;
using testing::WriteText;
using ::testing::ThrowsMessage;
using ::testing::HasSubstr;

void ExpectNear(const Vector& a, const Vector& b)
{
  EXPECT_NEAR(a.x, b.x, 1e-14);
  EXPECT_NEAR(a.y, b.y, 1e-14);
  EXPECT_NEAR(a.z, b.z, 1e-14);
}

MeshData WriteAndRead(const ScratchFolder& folder, const MeshData& mesh)
{
  const std::string path = folder.File("mesh.obj");
  WriteObj(path, mesh, FlatCornerNormals(mesh), testing::HostFrameOptions());
  MeshData read;
  EXPECT_NO_THROW(read = testing::ReadRaw(path));
  return read;
}

TEST(MeshObjTest, CubeRoundTripsToDoublePrecision)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const MeshData read = WriteAndRead(folder, cube);
  // The file holds the shortest exact decimal text, but the loader's number
  // parser may round the last bit differently.
  ASSERT_EQ(read.points.size(), cube.points.size());
  for (std::size_t i = 0; i < cube.points.size(); ++i)
    ExpectNear(read.points[i], cube.points[i]);
  EXPECT_EQ(read.polygons, cube.polygons);
  ASSERT_TRUE(read.HasUVs());
  for (std::size_t i = 0; i < cube.uvs.size(); ++i)
  {
    ExpectNear(read.uvs[i].a, cube.uvs[i].a);
    ExpectNear(read.uvs[i].b, cube.uvs[i].b);
    ExpectNear(read.uvs[i].c, cube.uvs[i].c);
    ExpectNear(read.uvs[i].d, cube.uvs[i].d);
  }
  ASSERT_EQ(read.selections.size(), 2u);
  EXPECT_EQ(read.selections[0].name, "sides");
  EXPECT_EQ(read.selections[0].polygons, (std::vector<Int32>{0, 1, 2, 3}));
  EXPECT_EQ(read.selections[1].name, "top");
  EXPECT_EQ(read.selections[1].polygons, (std::vector<Int32>{4}));
  EXPECT_TRUE(testing::IsClosed(read));
}

TEST(MeshObjTest, WritesNormalsAndFullFaceCorners)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  WriteObj(folder.File("cube.obj"), cube, FlatCornerNormals(cube), MeshWriteOptions());
  const std::string text = ReadText(folder.File("cube.obj"));
  // Corners share a normal or UV only at the same point, numbered in the
  // order of first use: the flat cube's first face has four of each.
  EXPECT_NE(text.find("\nf 1/1/1 2/2/2 6/3/3 5/4/4\nf 2/2/5 "), std::string::npos) << text;
  const std::size_t firstNormal = text.find("\nvn ");
  ASSERT_NE(firstNormal, std::string::npos);
  EXPECT_EQ(text.substr(firstNormal, 50), "\nvn 0 -1 0\nvn 0 -1 0\nvn 0 -1 0\nvn 0 -1 0\nvn 1 0 0\n");
  EXPECT_NE(text.find("\no rock\n"), std::string::npos);
  EXPECT_NE(text.find("\ng default\n"), std::string::npos); // bottom face is in no selection
}

TEST(MeshObjTest, OverlappingSelectionsAndMeshesWithoutUVs)
{
  ScratchFolder folder;
  MeshData mesh = testing::Tetrahedron();
  mesh.selections = {{"rim", {0, 1, 2}}, {"cap with space", {2, 3}}};
  const MeshData read = WriteAndRead(folder, mesh);
  EXPECT_FALSE(read.HasUVs());
  EXPECT_TRUE(read.uvs.empty());
  EXPECT_EQ(read.polygons, mesh.polygons);
  ASSERT_EQ(read.selections.size(), 2u);
  EXPECT_EQ(read.selections[0].name, "rim");
  EXPECT_EQ(read.selections[0].polygons, (std::vector<Int32>{0, 1, 2}));
  EXPECT_EQ(read.selections[1].name, "cap_with_space");
  EXPECT_EQ(read.selections[1].polygons, (std::vector<Int32>{2, 3}));
}

TEST(MeshObjTest, ReadsNgonsAsFansAndObjectsAsSelections)
{
  ScratchFolder folder;
  const std::string path = folder.File("ngon.obj");
  WriteText(path, "v 0 0 0\nv 1 0 0\nv 2 1 0\nv 1 2 0\nv 0 1 0\n"
                  "vt 0 0\nvt 1 0\nvt 1 1\nvt 0.5 1\nvt 0 1\n"
                  "o pentagon\nf 1/1 2/2 3/3 4/4 5/5\n"
                  "o wedge\nf 1 2 3\n");
  MeshData mesh;
  ASSERT_NO_THROW(mesh = testing::ReadRaw(path));
  ASSERT_EQ(mesh.polygons.size(), 4u);
  EXPECT_EQ(mesh.polygons[0], CPolygon(0, 1, 2));
  EXPECT_EQ(mesh.polygons[1], CPolygon(0, 2, 3));
  EXPECT_EQ(mesh.polygons[2], CPolygon(0, 3, 4));
  EXPECT_EQ(mesh.uvs[2].c, Vector(0.0, 1.0, 0.0));
  EXPECT_EQ(mesh.uvs[3].a, Vector()); // faces without vt get zero UVs
  ASSERT_EQ(mesh.selections.size(), 2u);
  EXPECT_EQ(mesh.selections[0].polygons, (std::vector<Int32>{0, 1, 2}));
  EXPECT_EQ(mesh.selections[1].name, "wedge");
}

TEST(MeshObjTest, BadFaceIndexNamesFileAndLine)
{
  ScratchFolder folder;
  const std::string path = folder.File("rock.obj");
  WriteText(path, "# three points\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n\nf 1 2\nf 1 2 9\n");
  const std::string error = testing::ReadError(path);
  EXPECT_EQ(error, path + ": line 8: face: point index 9 is out of range (1 to 3)");
}

TEST(MeshObjTest, MissingFilesAndNonMeshesFail)
{
  ScratchFolder folder;
  WriteText(folder.File("points.obj"), "v 0 0 0\nv 1 0 0\n");
  WriteText(folder.File("binary.obj"), std::string("\x89PNG\r\n\x1a\n\0\0", 10));
  std::string error = testing::ReadError(folder.File("absent.obj"));
  EXPECT_NE(error.find("absent.obj"), std::string::npos) << error;
  error = testing::ReadError(folder.File("points.obj"));
  EXPECT_NE(error.find("no polygons"), std::string::npos) << error;
  error = testing::ReadError(folder.File("binary.obj"));
}

TEST(MeshObjTest, InvalidMeshesAreNotWritten)
{
  ScratchFolder folder;
  MeshData cube = QuadCube();
  const std::vector<Vector> tooFewNormals(3);
  EXPECT_THAT([&] { WriteObj(folder.File("a.obj"), cube, tooFewNormals, MeshWriteOptions()); },
              ThrowsMessage<OutputError>(HasSubstr("corner normals")));
  cube.polygons[2].c = 8;
  EXPECT_THAT([&] { WriteObj(folder.File("a.obj"), cube, FlatCornerNormals(QuadCube()), MeshWriteOptions()); },
              ThrowsMessage<OutputError>(HasSubstr("out of range")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("a.obj")));
}

} // namespace
} // namespace qhost
