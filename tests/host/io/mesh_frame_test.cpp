// Mesh files in metres (or cm, mm) and Y or Z up, the host in centimetres
// with Y up: the conversion at the file edge.
#include "host/core/read_file.h"
#include "host/io/mesh_frame.h"

#include <gtest/gtest.h>
#include <sstream>

#include "host/io/mesh_file.h"
#include "host/io/mesh_gltf.h"
#include "host/io/mesh_obj.h"
#include "host/io/mesh_ply.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using testing::FlatCornerNormals;
using testing::QuadCube;
using testing::ScratchFolder;

void ExpectNear(const Vector& a, const Vector& b, Float tolerance)
{
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(MeshFrameTest, UnitsScaleHostCentimetresIntoTheFileUnit)
{
  const Vector host(150.0, -20.0, 7.5);
  ExpectNear(MeshFileFrame{kMetre, UpAxis::Y}.PointToFile(host), Vector(1.5, -0.2, 0.075), 1e-15);
  ExpectNear(MeshFileFrame{kCentimetre, UpAxis::Y}.PointToFile(host), host, 0.0);
  ExpectNear(MeshFileFrame{kMillimetre, UpAxis::Y}.PointToFile(host), Vector(1500.0, -200.0, 75.0), 1e-12);
  EXPECT_EQ(FindLengthUnit("cm")->hostUnits, 1.0);
  EXPECT_EQ(FindLengthUnit("m")->hostUnits, 100.0);
  EXPECT_FALSE(FindLengthUnit("inch"));
  EXPECT_FALSE(FindLengthUnit("M"));
}

TEST(MeshFrameTest, ZUpTurnsHostUpIntoFileZAndKeepsHandedness)
{
  const MeshFileFrame zUp{kCentimetre, UpAxis::Z};
  ExpectNear(zUp.PointToFile(Vector(0.0, 1.0, 0.0)), Vector(0.0, 0.0, 1.0), 0.0);
  ExpectNear(zUp.DirectionToFile(Vector(0.0, 0.0, 1.0)), Vector(0.0, -1.0, 0.0), 0.0);
  // A rotation: the cross product of turned vectors is the turned cross
  // product, so polygons keep their winding relative to their normals.
  const Vector a(0.3, -1.2, 2.0), b(-0.7, 0.4, 1.1);
  ExpectNear(Cross(zUp.DirectionToFile(a), zUp.DirectionToFile(b)), zUp.DirectionToFile(Cross(a, b)), 1e-12);
}

TEST(MeshFrameTest, EveryFrameReadsBackWhatItWrote)
{
  const Vector host(123.25, -0.5, 9.75);
  for (const LengthUnit& unit : {kMetre, kCentimetre, kMillimetre})
    for (UpAxis up : {UpAxis::Y, UpAxis::Z})
    {
      const MeshFileFrame frame{unit, up};
      ExpectNear(frame.PointFromFile(frame.PointToFile(host)), host, 1e-12);
    }
}

class MeshFileUnitTest : public ::testing::TestWithParam<const char*>
{
};

// Each format read raw (in the file's own coordinates).
MeshData ReadRaw(const std::string& path)
{
  MeshData mesh;
  EXPECT_NO_THROW(mesh = ParseMesh(ReadFileBytes(path, kMaxMeshFileBytes), path));
  return mesh;
}

Vector Minimum(const MeshData& mesh)
{
  Vector low(1e30);
  for (const Vector& p : mesh.points)
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
  return low;
}

TEST_P(MeshFileUnitTest, FilesAreInMetresByDefault)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File(std::string("cube") + GetParam());
  WriteMesh(path, cube, FlatCornerNormals(cube), MeshWriteOptions());
  ExpectNear(Minimum(ReadRaw(path)), Minimum(cube) / 100.0, 1e-8);
  MeshData read;
  ASSERT_NO_THROW(read = ReadMesh(path));
  ExpectNear(Minimum(read), Minimum(cube), 1e-6);
}

TEST_P(MeshFileUnitTest, ObjAndPlyFollowTheFrameGltfStaysInMetresYUp)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File(std::string("cube") + GetParam());
  const MeshFileFrame millimetresZUp{kMillimetre, UpAxis::Z};
  MeshWriteOptions options;
  options.frame = millimetresZUp;
  WriteMesh(path, cube, FlatCornerNormals(cube), options);
  const bool gltf = IsGltfPath(path);
  const MeshFileFrame& expected = gltf ? kGltfFrame : millimetresZUp;
  MeshData inFile = cube;
  for (Vector& p : inFile.points)
    p = expected.PointToFile(p);
  ExpectNear(Minimum(ReadRaw(path)), Minimum(inFile), 1e-5);
  // Read in the same frame, every point comes back where it was.
  MeshData read;
  ASSERT_NO_THROW(read = ReadMesh(path, millimetresZUp));
  ExpectNear(Minimum(read), Minimum(cube), 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Formats, MeshFileUnitTest, ::testing::Values(".obj", ".ply", ".glb", ".gltf"));

TEST(MeshFileUnitTest, NormalsTurnWithAZUpFrame)
{
  // One triangle in the host's ground plane, facing up (+Y).
  MeshData ground;
  ground.points = {{0.0, 0.0, 0.0}, {0.0, 0.0, 100.0}, {100.0, 0.0, 0.0}};
  ground.polygons = {{0, 1, 2}};
  const std::vector<Vector> up(4, Vector(0.0, 1.0, 0.0));
  ScratchFolder folder;
  MeshWriteOptions options;
  options.frame = MeshFileFrame{kMetre, UpAxis::Z};
  WriteMesh(folder.File("ground.obj"), ground, up, options);
  std::istringstream lines(testing::ReadText(folder.File("ground.obj")));
  int normals = 0;
  for (std::string line; std::getline(lines, line);)
  {
    if (line.rfind("vn ", 0) != 0)
      continue;
    ++normals;
    std::istringstream values(line.substr(3));
    Vector n;
    values >> n.x >> n.y >> n.z;
    ExpectNear(n, Vector(0.0, 0.0, 1.0), 0.0);
  }
  EXPECT_EQ(normals, 3); // normals are shared per point, so one per corner here
}

} // namespace
} // namespace qhost
