// Hand-made hostile mesh files: each was once read out of bounds, walked for
// exponential time, mangled or let through with impossible numbers. Each must
// now be refused with the file and the element named.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/core/input_error.h"
#include "host/io/mesh_file.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using ::testing::HasSubstr;
using testing::ReadError;
using testing::ScratchFolder;
using testing::WriteText;

// One triangle (three float positions, 36 bytes) as a base64 data URI, with
// the accessor's and the buffer view's byte offsets given as JSON numbers.
std::string TriangleGltf(const std::string& accessorOffset, const std::string& viewOffset,
                         const std::string& nodes = R"([{"mesh": 0}])", const std::string& sceneNodes = "[0]",
                         const std::string& count = "3")
{
  // 0,0,0  1,0,0  0,1,0 as little-endian floats.
  const std::string data = "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA";
  return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": )" + sceneNodes +
         R"(}], "nodes": )" + nodes +
         R"(, "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
  "accessors": [{"bufferView": 0, "byteOffset": )" + accessorOffset +
         R"(, "componentType": 5126, "count": )" + count + R"(, "type": "VEC3"}],
  "bufferViews": [{"buffer": 0, "byteOffset": )" + viewOffset +
         R"(, "byteLength": 36}],
  "buffers": [{"byteLength": 36, "uri": "data:application/octet-stream;base64,)" + data + R"("}]})";
}

TEST(HostileMeshTest, PlainTriangleGltfReads)
{
  ScratchFolder folder;
  WriteText(folder.File("t.gltf"), TriangleGltf("0", "0"));
  EXPECT_EQ(ReadMesh(folder.File("t.gltf")).polygons.size(), 1u);
}

TEST(HostileMeshTest, GltfOffsetsThatWrapAroundAreRefused)
{
  ScratchFolder folder;
  const std::string path = folder.File("t.gltf");
  // Each offset plus the accessor's 36 bytes wraps past 2^64 to a small number.
  WriteText(path, TriangleGltf("18446744073709551600", "0"));
  EXPECT_THAT(ReadError(path), HasSubstr("POSITION accessor 0 reaches outside its buffer"));
  WriteText(path, TriangleGltf("0", "18446744073709551600"));
  EXPECT_THAT(ReadError(path), HasSubstr("outside its buffer"));
  WriteText(path, TriangleGltf("4", "0"));
  EXPECT_THAT(ReadError(path), HasSubstr("node 0, mesh 0, primitive 0: POSITION accessor 0 reaches outside"));
  // An empty accessor reads nothing, but its start is still a place in the buffer.
  WriteText(path, TriangleGltf("18446744073709551600", "0", R"([{"mesh": 0}])", "[0]", "0"));
  EXPECT_THAT(ReadError(path), HasSubstr("POSITION accessor 0 reaches outside its buffer"));
  WriteText(path, TriangleGltf("40", "0", R"([{"mesh": 0}])", "[0]", "0"));
  EXPECT_THAT(ReadError(path), HasSubstr("POSITION accessor 0 reaches outside its buffer"));
}

TEST(HostileMeshTest, DeeplyNestedJsonIsRefusedBeforeParsing)
{
  ScratchFolder folder;
  WriteText(folder.File("deep.gltf"), std::string(200'000, '['));
  EXPECT_THAT(ReadError(folder.File("deep.gltf")), HasSubstr("deep.gltf: JSON nested deeper than"));
  // The same inside a GLB's JSON chunk.
  std::string glb = "glTF";
  const std::uint32_t header[4] = {2, 12 + 8 + 200'000, 200'000, 0x4E4F534A};
  glb.append(reinterpret_cast<const char*>(header), sizeof(header));
  glb.append(200'000, '[');
  WriteText(folder.File("deep.glb"), glb);
  EXPECT_THAT(ReadError(folder.File("deep.glb")), HasSubstr("deep.glb: JSON nested deeper than"));
}

TEST(HostileMeshTest, SharedNodesAreCountedPerInstanceAndBounded)
{
  // Node k has node k+1 twice as its child: 2^40 instances from 41 nodes.
  std::string nodes = "[";
  for (int k = 0; k < 40; ++k)
  {
    const std::string child = std::to_string(k + 1);
    nodes += R"({"children": [)";
    nodes += child;
    nodes += ',';
    nodes += child;
    nodes += "]},";
  }
  nodes += R"({"mesh": 0}])";
  ScratchFolder folder;
  WriteText(folder.File("shared.gltf"), TriangleGltf("0", "0", nodes));
  EXPECT_THAT(ReadError(folder.File("shared.gltf")), HasSubstr("node instances"));

  // A few shared instances are fine: each is placed where its parent puts it.
  const std::string twice = R"([{"children": [1, 1]}, {"mesh": 0}])";
  WriteText(folder.File("twice.gltf"), TriangleGltf("0", "0", twice));
  EXPECT_EQ(ReadMesh(folder.File("twice.gltf")).polygons.size(), 2u);
}

TEST(HostileMeshTest, NonFiniteGltfTransformsAreRefused)
{
  ScratchFolder folder;
  WriteText(folder.File("huge.gltf"), TriangleGltf("0", "0", R"([{"mesh": 0, "scale": [1e300, 1e300, 1e300]}])"));
  EXPECT_THAT(ReadError(folder.File("huge.gltf")),
              HasSubstr("node 0, mesh 0, primitive 0: POSITION 1 after the node transform: coordinates"));
}

TEST(HostileMeshTest, ObjFacesWithMoreCornersThanTheLoaderCountsAreRefused)
{
  std::string text;
  for (int i = 0; i < 300; ++i)
  {
    text += "v ";
    text += std::to_string(std::cos(i * 0.02));
    text += ' ';
    text += std::to_string(std::sin(i * 0.02));
    text += " 0\n";
  }
  text += "f 1 2 3\nf";
  for (int i = 1; i <= 300; ++i)
  {
    text += ' ';
    text += std::to_string(i);
  }
  text += "\n";
  ScratchFolder folder;
  WriteText(folder.File("big.obj"), text);
  EXPECT_EQ(ReadError(folder.File("big.obj")),
            folder.File("big.obj") + ": line 302: a face with 300 corners; at most 255 are supported");
}

TEST(HostileMeshTest, OverflowingCoordinatesAreRefusedInEveryFormat)
{
  ScratchFolder folder;
  WriteText(folder.File("far.obj"), "v 0 0 0\nv 1e308 0 0\nv 0 1 0\nf 1 2 3\n");
  EXPECT_THAT(ReadError(folder.File("far.obj")), HasSubstr("far.obj: vertex 2: coordinates (1e+308, 0, 0)"));
  WriteText(folder.File("inf.obj"), "v 0 0 0\nv 1 0 0\nv 0 1e999 0\nf 1 2 3\n");
  EXPECT_THAT(ReadError(folder.File("inf.obj")), HasSubstr("inf.obj: vertex 3: coordinates (0, inf, 0)"));
  WriteText(folder.File("uv.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 -1e999\nf 1/1 2/1 3/1\n");
  EXPECT_THAT(ReadError(folder.File("uv.obj")), HasSubstr("uv.obj: texture coordinate 1: coordinates"));
  WriteText(folder.File("far.ply"), "ply\nformat ascii 1.0\nelement vertex 3\nproperty double x\nproperty double y\n"
                                    "property double z\nelement face 1\nproperty list uchar int vertex_indices\n"
                                    "end_header\n0 0 0\n1 0 0\n0 -1e300 0\n3 0 1 2\n");
  EXPECT_THAT(ReadError(folder.File("far.ply")), HasSubstr("far.ply: vertex 2: coordinates (0, -1e+300, 0)"));
}

TEST(HostileMeshTest, PlyFacesBeforeVerticesAreCheckedAgainstTheHeader)
{
  ScratchFolder folder;
  const std::string header = "ply\nformat ascii 1.0\nelement face 1\nproperty list uchar int vertex_indices\n"
                             "element vertex 3\nproperty float x\nproperty float y\nproperty float z\nend_header\n";
  WriteText(folder.File("ok.ply"), header + "3 0 1 2\n0 0 0\n1 0 0\n0 1 0\n");
  EXPECT_EQ(ReadMesh(folder.File("ok.ply")).polygons.size(), 1u);
  WriteText(folder.File("bad.ply"), header + "3 0 1 3\n0 0 0\n1 0 0\n0 1 0\n");
  EXPECT_EQ(ReadError(folder.File("bad.ply")),
            folder.File("bad.ply") + ": face 0: point index 3 is out of range (0 to 2)");
}

TEST(HostileMeshTest, PlyHeaderEndingTheFileReadsNoFurther)
{
  ScratchFolder folder;
  WriteText(folder.File("cut.ply"), "ply\nformat binary_little_endian 1.0\nelement vertex 1\nproperty float x\n"
                                    "property float y\nproperty float z\nend_header");
  EXPECT_THAT(ReadError(folder.File("cut.ply")), HasSubstr("more than the file can hold"));
}

} // namespace
} // namespace qhost
