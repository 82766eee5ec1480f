// The asset GLB: levels behind MSFT_lod, attributes in the file's frame, and
// levels it cannot write refused without touching the target.
#include "host/io/asset_gltf.h"

#include <fstream>
#include <limits>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include "io_test_support.h"

namespace qhost {
namespace {

using testing::ScratchFolder;
using ::testing::ThrowsMessage;
using ::testing::HasSubstr;
using ::testing::AllOf;

// One triangle in host units (centimetres), with a tangent frame.
TriangleMesh Triangle(float size)
{
  TriangleMesh mesh;
  mesh.positions = {0, 0, 0, size, 0, 0, 0, size, 0};
  mesh.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  mesh.uvs = {0, 0, 1, 0, 0, 1};
  mesh.tangents = {1, 0, 0, -1, 1, 0, 0, -1, 1, 0, 0, -1};
  mesh.indices = {0, 1, 2};
  return mesh;
}

tinygltf::Model Load(const std::string& path)
{
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string error, warning;
  EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  return model;
}

TEST(AssetGlb, PositionsAreMetresAndTangentsKeepTheirHandedness)
{
  ScratchFolder folder;
  const TriangleMesh full = Triangle(250.0f), light = Triangle(200.0f);
  const AssetLevel levels[] = {{&full, 0.5, {}}, {&light, 0.1, {}}};
  WriteAssetGlb(folder.File("a.glb"), levels, {}, "a");
  const tinygltf::Model model = Load(folder.File("a.glb"));
  ASSERT_EQ(model.meshes.size(), 2u);
  const tinygltf::Primitive& primitive = model.meshes[0].primitives[0];
  EXPECT_EQ(model.accessors[primitive.attributes.at("POSITION")].maxValues, (std::vector<double>{2.5, 2.5, 0.0}));
  const tinygltf::Accessor& tangents = model.accessors[primitive.attributes.at("TANGENT")];
  const tinygltf::BufferView& view = model.bufferViews[tangents.bufferView];
  const float* values = reinterpret_cast<const float*>(model.buffers[0].data.data() + view.byteOffset);
  EXPECT_EQ(values[3], -1.0f);
  // The UVs flip to glTF's top-left origin.
  const tinygltf::Accessor& uvs = model.accessors[primitive.attributes.at("TEXCOORD_0")];
  const float* uv = reinterpret_cast<const float*>(model.buffers[0].data.data() +
                                                   model.bufferViews[uvs.bufferView].byteOffset);
  EXPECT_EQ(uv[1], 1.0f);
  EXPECT_EQ(uv[5], 0.0f);
  const tinygltf::Value& coverage = model.nodes[0].extras.Get("MSFT_screencoverage");
  EXPECT_EQ(coverage.Get(1).GetNumberAsDouble(), 0.1);
}

TEST(AssetGlb, LevelsItCannotWriteAreRefusedAndTheTargetIsKept)
{
  ScratchFolder folder;
  const std::string path = folder.File("a.glb");
  std::ofstream(path) << "before";
  TriangleMesh outOfRange = Triangle(1.0f);
  outOfRange.indices[2] = 7;
  TriangleMesh noTangents = Triangle(1.0f);
  noTangents.tangents.clear();
  TriangleMesh infinite = Triangle(1.0f);
  infinite.positions[4] = std::numeric_limits<float>::infinity();
  const std::uint8_t png[] = {1, 2, 3};
  const std::vector<AssetLevel> refused = {
    {&outOfRange, 0.5, {}}, {&noTangents, 0.5, png}, {&infinite, 0.5, {}}, {nullptr, 0.5, {}}};
  for (const AssetLevel& level : refused)
  {
    EXPECT_THAT([&] { WriteAssetGlb(path, std::span(&level, 1), {}, "a"); },
                ThrowsMessage<OutputError>(AllOf(HasSubstr(path), HasSubstr("level 0"))));
  }
  EXPECT_THROW(WriteAssetGlb(path, {}, {}, "a"), OutputError);
  std::ifstream kept(path);
  std::string content;
  kept >> content;
  EXPECT_EQ(content, "before");
}

} // namespace
} // namespace qhost
