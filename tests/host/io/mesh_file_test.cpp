#include "host/io/mesh_file.h"

#include <cmath>
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

class MeshFileFormatTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(MeshFileFormatTest, ClosedMeshStaysClosedWithSameBoundsAndArea)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File(std::string("cube") + GetParam());
  WriteMesh(path, cube, FlatCornerNormals(cube), MeshWriteOptions());
  MeshData read;
  ASSERT_NO_THROW(read = ReadMesh(path));
  EXPECT_EQ(read.points.size(), cube.points.size());
  EXPECT_TRUE(testing::IsClosed(read));
  EXPECT_TRUE(read.HasUVs());
  Float area = 0.0;
  for (const CPolygon& p : read.polygons)
  {
    area += 0.5 * Cross(read.points[p.b] - read.points[p.a], read.points[p.c] - read.points[p.a]).GetLength();
    if (!p.IsTriangle())
      area += 0.5 * Cross(read.points[p.c] - read.points[p.a], read.points[p.d] - read.points[p.a]).GetLength();
  }
  EXPECT_NEAR(area, 6.0, 1e-5);
  for (const Vector& p : read.points)
  {
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    EXPECT_NEAR(std::min(std::abs(p.x - 0.125), std::abs(p.x - 1.125)), 0.0, 1e-6);
  }
}

TEST_P(MeshFileFormatTest, SameMeshGivesSameBytes)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string first = folder.File(std::string("a") + GetParam());
  const std::string second = folder.File(std::string("b") + GetParam());
  WriteMesh(first, cube, FlatCornerNormals(cube), MeshWriteOptions());
  WriteMesh(second, cube, FlatCornerNormals(cube), MeshWriteOptions());
  EXPECT_EQ(ReadText(first), ReadText(second));
}

TEST_P(MeshFileFormatTest, FailedWriteLeavesOldFile)
{
  ScratchFolder folder;
  const std::string path = folder.File(std::string("keep") + GetParam());
  WriteText(path, "previous content");
  const MeshData cube = QuadCube();
  EXPECT_THAT([&] { WriteMesh(path, cube, std::vector<Vector>(5), MeshWriteOptions()); },
              ThrowsMessage<OutputError>(HasSubstr(path)));
  EXPECT_EQ(ReadText(path), "previous content");
  EXPECT_THROW(WriteMesh(folder.File("missing/x") + GetParam(), cube, FlatCornerNormals(cube), MeshWriteOptions()), OutputError);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, MeshFileFormatTest, ::testing::Values(".obj", ".ply", ".glb", ".gltf"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST(MeshFileTest, UnknownExtensionsAreErrors)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  for (const std::string name : {"cube.stl", "cube", "dir.obj/cube"})
  {
    EXPECT_THAT([&] { WriteMesh(folder.File(name), cube, FlatCornerNormals(cube), MeshWriteOptions()); },
                ThrowsMessage<OutputError>(HasSubstr("unknown mesh file extension")));
    EXPECT_THAT(testing::ReadError(folder.File(name)), ::testing::HasSubstr("unknown mesh file extension"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(MeshFileTest, ExtensionsAreCaseInsensitive)
{
  EXPECT_EQ(LowerCaseExtension("/a.b/Rock.GLB"), ".glb");
  EXPECT_EQ(LowerCaseExtension("/a.b/rock"), "");
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  WriteMesh(folder.File("ROCK.OBJ"), cube, FlatCornerNormals(cube), MeshWriteOptions());
  MeshData read;
  EXPECT_NO_THROW(read = ReadMesh(folder.File("ROCK.OBJ")));
}

TEST(MeshFileTest, ValidationCatchesNonFinitePointsAndBadSelections)
{
  MeshData cube = QuadCube();
  const std::vector<Vector> normals = FlatCornerNormals(cube);
  ValidateMeshForWrite("cube.obj", cube, normals);
  cube.selections[0].polygons.push_back(6);
  EXPECT_THAT([&] { ValidateMeshForWrite("cube.obj", cube, normals); },
              ThrowsMessage<OutputError>(HasSubstr("cube.obj: selection 'top'")));
  cube = QuadCube();
  cube.points[3].y = std::nan("");
  EXPECT_THAT([&] { ValidateMeshForWrite("cube.obj", cube, normals); },
              ThrowsMessage<OutputError>(HasSubstr("point 3 at a non-finite")));
  cube = QuadCube();
  cube.uvs.pop_back();
  EXPECT_THAT([&] { ValidateMeshForWrite("cube.obj", cube, normals); },
              ThrowsMessage<OutputError>(HasSubstr("UV entries")));
}

} // namespace
} // namespace qhost
