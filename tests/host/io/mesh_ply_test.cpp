#include "host/io/mesh_ply.h"
#include "host/io/mesh_file.h"

#include <bit>
#include <cstring>
#include <map>
#include <gtest/gtest.h>

#include "host/core/read_file.h"
#include "host/io/atomic_file.h"
#include "host/io/ply_format.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using testing::FlatCornerNormals;
using testing::QuadCube;
using testing::ReadText;
using testing::ScratchFolder;
using testing::WriteText;

void ExpectNear(const Vector& a, const Vector& b, Float tolerance)
{
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

// Boundary edges of the faces exactly as the file stores them (no welding of
// equal positions, as a viewer that opens the file sees them): 0 when closed.
std::size_t BoundaryEdgesInFile(const std::string& path)
{
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, 1u << 30);
  const PlyHeader header = ParsePlyHeader(bytes, path);
  PlyValueReader reader(bytes, header.dataOffset, header.format);
  std::map<std::pair<int, int>, int> uses;
  for (const PlyElement& element : header.elements)
    for (std::uint64_t item = 0; item < element.count; ++item)
      for (const PlyProperty& property : element.properties)
      {
        double value = 0;
        if (!property.isList)
        {
          EXPECT_TRUE(reader.Read(property.type, value));
          continue;
        }
        double count = 0;
        EXPECT_TRUE(reader.Read(property.countType, count));
        std::vector<int> corners;
        for (int i = 0; i < static_cast<int>(count); ++i)
        {
          EXPECT_TRUE(reader.Read(property.type, value));
          corners.push_back(static_cast<int>(value));
        }
        if (property.name != "vertex_indices")
          continue;
        for (std::size_t i = 0; i < corners.size(); ++i)
        {
          const int a = corners[i], b = corners[(i + 1) % corners.size()];
          ++uses[{std::min(a, b), std::max(a, b)}];
        }
      }
  std::size_t boundary = 0;
  for (const auto& [edge, count] : uses)
    boundary += count == 1 ? 1 : 0;
  return boundary;
}

void AppendBigEndian(std::string& out, std::uint32_t value)
{
  for (int shift = 24; shift >= 0; shift -= 8)
    out += static_cast<char>(value >> shift);
}

TEST(MeshPlyTest, CubeRoundTripsAndStaysClosed)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File("cube.ply");
  WritePly(path, cube, FlatCornerNormals(cube), testing::kHostFrame);
  // Written welded: one vertex per point although every edge is a UV seam,
  // with the UVs on the face corners, so the file itself is closed.
  EXPECT_NE(ReadText(path).find("element vertex 8\n"), std::string::npos);
  EXPECT_NE(ReadText(path).find("property list uchar float texcoord\n"), std::string::npos);
  EXPECT_EQ(BoundaryEdgesInFile(path), 0u);

  MeshData read;
  ASSERT_NO_THROW(read = testing::ReadRaw(path));
  ASSERT_EQ(read.points.size(), 8u); // identical positions are merged again
  ASSERT_EQ(read.polygons.size(), cube.polygons.size());
  ASSERT_TRUE(read.HasUVs());
  EXPECT_TRUE(read.selections.empty());
  for (std::size_t i = 0; i < cube.polygons.size(); ++i)
  {
    const CPolygon& r = read.polygons[i];
    const CPolygon& c = cube.polygons[i];
    ExpectNear(read.points[r.a], cube.points[c.a], 1e-6);
    ExpectNear(read.points[r.b], cube.points[c.b], 1e-6);
    ExpectNear(read.points[r.c], cube.points[c.c], 1e-6);
    ExpectNear(read.points[r.d], cube.points[c.d], 1e-6);
    ExpectNear(read.uvs[i].a, cube.uvs[i].a, 1e-7);
    ExpectNear(read.uvs[i].b, cube.uvs[i].b, 1e-7);
    ExpectNear(read.uvs[i].c, cube.uvs[i].c, 1e-7);
    ExpectNear(read.uvs[i].d, cube.uvs[i].d, 1e-7);
  }
  EXPECT_TRUE(testing::IsClosed(read));
}

TEST(MeshPlyTest, PointNormalsAverageTheCornerNormals)
{
  ScratchFolder folder;
  MeshData tetra = testing::Tetrahedron();
  std::vector<Vector> normals;
  for (const CPolygon& p : tetra.polygons)
    for (Int32 point : {p.a, p.b, p.c, p.d})
      normals.push_back(tetra.points[point].GetNormalized());
  WritePly(folder.File("t.ply"), tetra, normals, testing::kHostFrame);
  const std::string text = ReadText(folder.File("t.ply"));
  EXPECT_NE(text.find("element vertex 4\n"), std::string::npos);
  EXPECT_EQ(text.find("texcoord"), std::string::npos); // no UVs, no UV property
  EXPECT_EQ(BoundaryEdgesInFile(folder.File("t.ply")), 0u);

  // Vertex records follow the header: x y z nx ny nz as floats.
  const std::size_t data = text.find("end_header\n") + 11;
  for (std::size_t point = 0; point < tetra.points.size(); ++point)
  {
    float record[6];
    std::memcpy(record, text.data() + data + 24 * point, sizeof(record));
    const Vector expected = tetra.points[point].GetNormalized();
    ExpectNear(Vector(record[3], record[4], record[5]), expected, 1e-6);
  }
}

TEST(MeshPlyTest, FaceCornerUVsAreReadWithTheirFaces)
{
  ScratchFolder folder;
  const std::string path = folder.File("uv.ply");
  WriteText(path, "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\nproperty float z\n"
                  "element face 1\nproperty list uchar int vertex_indices\nproperty list uchar float texcoord\n"
                  "end_header\n0 0 0\n1 0 0\n2 1 0\n1 2 0\n0 1 0\n"
                  "5 0 1 2 3 4 10 0 0 0.25 0 0.5 0.5 0.25 1 0 1\n");
  MeshData mesh;
  ASSERT_NO_THROW(mesh = testing::ReadRaw(path));
  ASSERT_EQ(mesh.polygons.size(), 3u); // a pentagon as a fan of triangles
  ASSERT_TRUE(mesh.HasUVs());
  EXPECT_EQ(mesh.uvs[0].b, Vector(0.25, 0.0, 0.0));
  EXPECT_EQ(mesh.uvs[2].a, Vector(0.0, 0.0, 0.0));
  EXPECT_EQ(mesh.uvs[2].b, Vector(0.25, 1.0, 0.0));
  EXPECT_EQ(mesh.uvs[2].c, Vector(0.0, 1.0, 0.0));
  EXPECT_EQ(mesh.uvs[2].d, mesh.uvs[2].c);

  WriteText(path, "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
                  "element face 1\nproperty list uchar int vertex_indices\nproperty list uchar float texcoord\n"
                  "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2 4 0 0 1 0\n");
  const std::string error = testing::ReadError(path);
  EXPECT_NE(error.find("face 0: has 3 corners but 2 texcoord pairs"), std::string::npos) << error;
}

TEST(MeshPlyTest, ReadsAsciiWithDoublesExtraPropertiesAndElements)
{
  ScratchFolder folder;
  const std::string path = folder.File("ascii.ply");
  WriteText(path, "ply\r\nformat ascii 1.0\r\ncomment made by hand\r\n"
                  "element vertex 5\r\nproperty double x\r\nproperty double y\r\nproperty double z\r\n"
                  "property uchar red\r\nproperty float u\r\nproperty float v\r\n"
                  "element face 1\r\nproperty list uchar int vertex_indices\r\nproperty int flags\r\n"
                  "element edge 1\r\nproperty list uchar int ends\r\nend_header\r\n"
                  "0.1 0 0 255 0 0\n1 0 0 0 1 0\n2 1 0 0 1 1\n1 2 0 0 0.5 1\n0 1 -1e-3 0 0 1\n"
                  "5 0 1 2 3 4 77\n2 0 1\n");
  MeshData mesh;
  ASSERT_NO_THROW(mesh = testing::ReadRaw(path));
  ASSERT_EQ(mesh.points.size(), 5u);
  EXPECT_EQ(mesh.points[0], Vector(0.1, 0.0, 0.0)); // doubles are kept exactly
  EXPECT_EQ(mesh.points[4], Vector(0.0, 1.0, -1e-3));
  ASSERT_EQ(mesh.polygons.size(), 3u);
  EXPECT_EQ(mesh.polygons[2], CPolygon(0, 3, 4));
  ASSERT_TRUE(mesh.HasUVs());
  EXPECT_EQ(mesh.uvs[2].b, Vector(0.5, 1.0, 0.0));
}

TEST(MeshPlyTest, ReadsBigEndianBinary)
{
  ScratchFolder folder;
  std::string bytes = "ply\nformat binary_big_endian 1.0\nelement vertex 4\n"
                      "property float x\nproperty float y\nproperty float z\n"
                      "element face 1\nproperty list uchar uint vertex_indices\nend_header\n";
  const float coordinates[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.5f};
  for (float c : coordinates)
    AppendBigEndian(bytes, std::bit_cast<std::uint32_t>(c));
  bytes += '\x04';
  for (std::uint32_t i : {0u, 1u, 2u, 3u})
    AppendBigEndian(bytes, i);
  WriteText(folder.File("be.ply"), bytes);
  MeshData mesh;
  ASSERT_NO_THROW(mesh = testing::ReadRaw(folder.File("be.ply")));
  ASSERT_EQ(mesh.polygons.size(), 1u);
  EXPECT_EQ(mesh.polygons[0], CPolygon(0, 1, 2, 3));
  EXPECT_EQ(mesh.points[3], Vector(0.0, 1.0, 0.5));
  EXPECT_FALSE(mesh.HasUVs());
}

TEST(MeshPlyTest, TruncatedFilesFailAtEveryCut)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  WritePly(folder.File("cube.ply"), cube, FlatCornerNormals(cube), testing::kHostFrame);
  const std::string whole = ReadText(folder.File("cube.ply"));
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size());
  for (std::size_t cut = 0; cut < whole.size(); ++cut)
    EXPECT_THROW(ParsePly(bytes.first(cut), "cut.ply"), InputError) << "cut at " << cut;
}

TEST(MeshPlyTest, AbsurdCountIsRejectedBeforeAllocating)
{
  ScratchFolder folder;
  WriteText(folder.File("huge.ply"), "ply\nformat binary_little_endian 1.0\nelement vertex 1000000000000\n"
                                     "property float x\nproperty float y\nproperty float z\nend_header\n"
                                     "0123456789ab");
  const std::string error = testing::ReadError(folder.File("huge.ply"));
  EXPECT_NE(error.find("1000000000000 vertex"), std::string::npos) << error;
}

TEST(MeshPlyTest, MalformedContentNamesTheProblem)
{
  ScratchFolder folder;
  const std::string header = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                             "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
  const std::pair<std::string, std::string> cases[] = {
    {header + "0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n", "face 0: point index 3 is out of range (0 to 2)"},
    {header + "0 0 0\n1 0 0\n0 1 0\n2 0 1\n", "has 2 corners"},
    {header + "0 0 0\n1 zero 0\n0 1 0\n3 0 1 2\n", "vertex 1: unexpected end of data or malformed value"},
    {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\nproperty float z\nend_header\n"
     "0 0 0\n",
     "contains no faces"},
    {"ply\nformat ascii 2.0\nelement vertex 0\nend_header\n", "unsupported PLY version '2.0'"},
    {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\n", "header has no end_header"},
    {"ply\nformat text 1.0\nend_header\n", "unknown format 'text'"},
    {"solid cube\nfacet normal 0 0 1\n", "not a PLY file"},
  };
  for (const auto& [content, expected] : cases)
  {
    WriteText(folder.File("bad.ply"), content);
    const std::string error = testing::ReadError(folder.File("bad.ply"));
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  }
}

} // namespace
} // namespace qhost
