// The steps of writing a large mesh that run on every core: subdivision,
// the checks before writing, corner sharing and the chunked formatting of
// every format. None may change a byte with the number of threads.
#include <cmath>
#include <gtest/gtest.h>

#include "host/core/read_file.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/primitives.h"
#include "host/geometry/subdivide.h"
#include "host/io/atomic_file.h"
#include "host/thread_count_support.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using testing::ScratchFolder;

// A lumpy subdivided cube with UVs, a selection and a few triangles: more
// points and polygons than one formatting chunk holds, normals that differ
// per point, and sharp edges where the Phong angle splits corners.
MeshData LumpyCube()
{
  MeshData base = MakeCube(Vector(200.0), 3, 3, 3);
  base.selections.push_back({"top", {0, 3, 5}});
  base.polygons[1] = CPolygon(base.polygons[1].a, base.polygons[1].b, base.polygons[1].c);
  MeshData mesh;
  Subdivide(base, {true, 5, kPi, kSubdivideModeKeepBoundaries}, mesh);
  for (Vector& p : mesh.points)
    p += p * (0.05 * std::sin(0.07 * p.x + 0.11 * p.y) * std::cos(0.13 * p.z));
  return mesh;
}

TEST(ThreadCountTest, SubdivisionAndEveryWriterGiveTheSameResult)
{
  ScratchFolder folder;
  const auto write = [&](int threads, const std::string& extension) {
    const std::string path = folder.File("rock" + std::to_string(threads) + extension);
    test::WithThreads(threads, [&] {
      const MeshData mesh = LumpyCube();
      WriteMesh(path, mesh, ComputeCornerNormals(mesh, true, 0.5), MeshWriteOptions());
    });
    return ReadFileBytes(path, 1u << 30);
  };
  const MeshData one = test::WithThreads(1, LumpyCube);
  ASSERT_GT(one.points.size(), 2 * 16384u);
  ASSERT_EQ(one.selections.size(), 1u);
  for (const int threads : test::kThreadCounts)
  {
    const MeshData other = test::WithThreads(threads, LumpyCube);
    EXPECT_TRUE(other.points == one.points) << threads << " threads";
    EXPECT_TRUE(other.polygons == one.polygons) << threads << " threads";
    ASSERT_EQ(other.uvs.size(), one.uvs.size());
    for (std::size_t i = 0; i < one.uvs.size(); ++i)
      ASSERT_TRUE(other.uvs[i].a == one.uvs[i].a && other.uvs[i].b == one.uvs[i].b &&
                  other.uvs[i].c == one.uvs[i].c && other.uvs[i].d == one.uvs[i].d)
        << "UVs of polygon " << i << " with " << threads << " threads";
    EXPECT_EQ(other.selections[0].polygons, one.selections[0].polygons) << threads << " threads";
  }
  for (const std::string extension : {".obj", ".ply", ".glb", ".gltf"})
  {
    const std::vector<std::uint8_t> bytes = write(1, extension);
    for (const int threads : test::kThreadCounts)
      EXPECT_TRUE(write(threads, extension) == bytes) << extension << " with " << threads << " threads";
  }
}

TEST(ThreadCountTest, ChecksBeforeWritingNameTheFirstBadElement)
{
  MeshData mesh = LumpyCube();
  const std::vector<Vector> normals = ComputeCornerNormals(mesh, false, 0.0);
  const std::size_t last = mesh.points.size() - 1;
  mesh.points[last].y = NAN;
  mesh.points[9000].x = INFINITY;
  mesh.points[20000].z = NAN;
  for (const int threads : test::kThreadCounts)
    EXPECT_NE(test::WithThreads(threads, [&] { return MeshWriteProblem(mesh, normals); }).find("point 9000 "),
              std::string::npos)
      << threads << " threads";
  mesh.points[9000].x = mesh.points[20000].z = mesh.points[last].y = 1.0;
  mesh.polygons[7000].c = -3;
  mesh.polygons[300].d = static_cast<Int32>(mesh.points.size());
  EXPECT_EQ(MeshWriteProblem(mesh, normals),
            "polygon 300 uses point " + std::to_string(mesh.points.size()) + " out of range");
}

// A file many times the writer's staging buffer goes to the disk in parts
// while it is written (directly, where the file system allows it); the bytes
// must come back whole.
TEST(AtomicFileTest, LargeFileWrittenInManyAppendsReadsBackWhole)
{
  ScratchFolder folder;
  std::vector<std::uint8_t> part(3u << 20);
  std::vector<std::uint8_t> expected;
  AtomicFileWriter writer;
  writer.Open(folder.File("large.bin"));
  for (std::uint8_t round = 0; round < 25; ++round)
  {
    for (std::size_t i = 0; i < part.size(); ++i)
      part[i] = static_cast<std::uint8_t>(i * 7 + round);
    writer.Append(part);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  writer.Commit();
  EXPECT_TRUE(ReadFileBytes(folder.File("large.bin"), 1u << 30) == expected);
}

} // namespace
} // namespace qhost
