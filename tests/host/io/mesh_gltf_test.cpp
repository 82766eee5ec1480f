#include "host/io/mesh_gltf.h"

#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include "host/io/png_image.h"
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

std::uint32_t LittleEndian32(const std::string& bytes, std::size_t offset)
{
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

// The JSON chunk of a GLB file.
nlohmann::json GlbJson(const std::string& glb)
{
  const std::uint32_t length = LittleEndian32(glb, 12);
  return nlohmann::json::parse(glb.substr(20, length));
}

// Signed volume of a closed mesh: positive when its faces wind outwards.
Float SignedVolume(const MeshData& mesh)
{
  Float volume = 0.0;
  for (const CPolygon& p : mesh.polygons)
  {
    volume += Dot(mesh.points[p.a], Cross(mesh.points[p.b], mesh.points[p.c])) / 6.0;
    if (!p.IsTriangle())
      volume += Dot(mesh.points[p.a], Cross(mesh.points[p.c], mesh.points[p.d])) / 6.0;
  }
  return volume;
}

TEST(MeshGltfTest, GlbRoundTripKeepsShapeUVsAndClosure)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File("cube.glb");
  WriteGltf(path, cube, FlatCornerNormals(cube), testing::HostFrameOptions(), true);
  MeshData read;
  ASSERT_NO_THROW(read = testing::ReadRaw(path));
  EXPECT_EQ(read.points.size(), 8u);
  ASSERT_EQ(read.polygons.size(), 12u); // each quad becomes two triangles
  EXPECT_TRUE(testing::IsClosed(read));
  EXPECT_NEAR(SignedVolume(read), SignedVolume(cube), 1e-5);
  ASSERT_TRUE(read.HasUVs());
  for (std::size_t quad = 0; quad < cube.polygons.size(); ++quad)
  {
    // The first triangle is corners a, b, c of the quad, the second a, c, d.
    const CPolygon& first = read.polygons[2 * quad];
    const CPolygon& second = read.polygons[2 * quad + 1];
    EXPECT_NEAR((read.points[first.b] - cube.points[cube.polygons[quad].b]).GetLength(), 0.0, 1e-6);
    EXPECT_NEAR((read.points[second.c] - cube.points[cube.polygons[quad].d]).GetLength(), 0.0, 1e-6);
    EXPECT_NEAR((read.uvs[2 * quad].c - cube.uvs[quad].c).GetLength(), 0.0, 1e-6);
    EXPECT_NEAR((read.uvs[2 * quad + 1].c - cube.uvs[quad].d).GetLength(), 0.0, 1e-6);
  }
  ASSERT_EQ(read.selections.size(), 1u);
  EXPECT_EQ(read.selections[0].name, "rock");
  EXPECT_EQ(read.selections[0].polygons.size(), 12u);
}

TEST(MeshGltfTest, GlbContainerAndRequiredProperties)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  const std::string path = folder.File("cube.glb");
  WriteGltf(path, cube, FlatCornerNormals(cube), testing::HostFrameOptions(), true);
  const std::string glb = ReadText(path);
  ASSERT_GE(glb.size(), 28u);
  EXPECT_EQ(glb.substr(0, 4), "glTF");
  EXPECT_EQ(LittleEndian32(glb, 4), 2u);
  EXPECT_EQ(LittleEndian32(glb, 8), glb.size());
  EXPECT_EQ(glb.size() % 4, 0u);

  const nlohmann::json json = GlbJson(glb);
  EXPECT_EQ(json["asset"]["version"], "2.0");
  const nlohmann::json& primitive = json["meshes"][0]["primitives"][0];
  for (const char* attribute : {"POSITION", "NORMAL", "TEXCOORD_0"})
    EXPECT_TRUE(primitive["attributes"].contains(attribute)) << attribute;
  const nlohmann::json& position = json["accessors"][primitive["attributes"]["POSITION"].get<int>()];
  EXPECT_NEAR(position["min"][0].get<double>(), 0.125, 1e-6);
  EXPECT_NEAR(position["max"][1].get<double>(), -2.3, 1e-6);
  EXPECT_EQ(json["accessors"][primitive["indices"].get<int>()]["count"], 36);
  EXPECT_EQ(json["materials"].size(), 1u);
  EXPECT_FALSE(json.contains("images"));
}

TEST(MeshGltfTest, EmbeddedTextureDecodesToTheSameImage)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  Image texture = MakeImage(5, 3, 3, 8);
  for (std::size_t i = 0; i < texture.samples.size(); ++i)
    texture.samples[i] = static_cast<std::uint16_t>(i * 17 % 256);
  MeshWriteOptions options = testing::HostFrameOptions();
  options.baseColorTexture = &texture;
  const std::string path = folder.File("textured.glb");
  WriteGltf(path, cube, FlatCornerNormals(cube), options, true);

  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  ASSERT_EQ(model.images.size(), 1u);
  EXPECT_EQ(model.images[0].mimeType, "image/png");
  EXPECT_EQ(model.images[0].width, 5);
  EXPECT_EQ(model.images[0].height, 3);
  // The loader always expands to RGBA.
  ASSERT_EQ(model.images[0].component, 4);
  ASSERT_EQ(model.images[0].image.size(), 5u * 3u * 4u);
  for (std::size_t pixel = 0; pixel < 15; ++pixel)
  {
    for (std::size_t channel = 0; channel < 3; ++channel)
      EXPECT_EQ(model.images[0].image[4 * pixel + channel], texture.samples[3 * pixel + channel]);
    EXPECT_EQ(model.images[0].image[4 * pixel + 3], 255);
  }
  EXPECT_EQ(model.materials[0].pbrMetallicRoughness.baseColorTexture.index, 0);
}

TEST(MeshGltfTest, TextureNeedsUVs)
{
  ScratchFolder folder;
  const MeshData tetra = testing::Tetrahedron();
  Image texture = MakeImage(2, 2, 4, 16);
  MeshWriteOptions options = testing::HostFrameOptions();
  options.baseColorTexture = &texture;
  EXPECT_THAT([&] { WriteGltf(folder.File("t.glb"), tetra, FlatCornerNormals(tetra), options, true); },
              ThrowsMessage<OutputError>(HasSubstr("UVs")));
}

TEST(MeshGltfTest, JsonFileEmbedsItsBuffer)
{
  ScratchFolder folder;
  const MeshData tetra = testing::Tetrahedron();
  const std::string path = folder.File("tetra.gltf");
  WriteGltf(path, tetra, FlatCornerNormals(tetra), testing::HostFrameOptions(), false);
  const nlohmann::json json = nlohmann::json::parse(ReadText(path));
  EXPECT_EQ(json["buffers"][0]["uri"].get<std::string>().rfind("data:application/octet-stream;base64,", 0), 0u);
  EXPECT_FALSE(json["meshes"][0]["primitives"][0]["attributes"].contains("TEXCOORD_0"));
  MeshData read;
  ASSERT_NO_THROW(read = testing::ReadRaw(path));
  EXPECT_EQ(read.points.size(), 4u);
  EXPECT_EQ(read.polygons.size(), 4u);
  EXPECT_FALSE(read.HasUVs());
  EXPECT_TRUE(testing::IsClosed(read));
  EXPECT_NEAR(SignedVolume(read), SignedVolume(tetra), 1e-6);
}

TEST(MeshGltfTest, NodeTransformsApplyAndMirroringKeepsFacesOutward)
{
  ScratchFolder folder;
  const MeshData tetra = testing::Tetrahedron();
  const std::string path = folder.File("scene.gltf");
  WriteGltf(path, tetra, FlatCornerNormals(tetra), testing::HostFrameOptions(), false);
  nlohmann::json json = nlohmann::json::parse(ReadText(path));
  // A parent moving everything by +10 in x, with a plain child and a mirrored child.
  json["nodes"] = nlohmann::json::array({
    {{"translation", {10.0, 0.0, 0.0}}, {"children", {1, 2}}},
    {{"mesh", 0}},
    {{"mesh", 0}, {"matrix", {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1}}},
  });
  json["scenes"][0]["nodes"] = {0};
  WriteText(path, json.dump());

  MeshData read;
  ASSERT_NO_THROW(read = testing::ReadRaw(path));
  ASSERT_EQ(read.polygons.size(), 8u);
  EXPECT_EQ(read.points.size(), 8u);
  EXPECT_NEAR(read.points[read.polygons[0].a].x, 10.0, 1e-9);
  EXPECT_NEAR(read.points[read.polygons[4].a].z, 5.0, 1e-9);
  // Both copies are closed and wind outwards, so the total is twice the original.
  EXPECT_TRUE(testing::IsClosed(read));
  EXPECT_NEAR(SignedVolume(read), 2.0 * SignedVolume(tetra), 1e-5);
}

TEST(MeshGltfTest, BrokenFilesFailWithTheFileName)
{
  ScratchFolder folder;
  const MeshData cube = QuadCube();
  WriteGltf(folder.File("cube.glb"), cube, FlatCornerNormals(cube), testing::HostFrameOptions(), true);
  const std::string glb = ReadText(folder.File("cube.glb"));
  WriteText(folder.File("cut.glb"), glb.substr(0, glb.size() - 100));
  WriteText(folder.File("text.gltf"), "this is not json");
  WriteText(folder.File("empty.gltf"), R"({"asset": {"version": "2.0"}})");

  for (const std::string name : {"cut.glb", "text.gltf", "empty.gltf", "absent.glb"})
  {
    const std::string error = testing::ReadError(folder.File(name));
    EXPECT_FALSE(error.empty()) << name;
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }
  const std::string error = testing::ReadError(folder.File("empty.gltf"));
  EXPECT_NE(error.find("contains no triangles"), std::string::npos) << error;
}

TEST(MeshGltfTest, OutOfRangeTriangleIndexIsRejected)
{
  ScratchFolder folder;
  const MeshData tetra = testing::Tetrahedron();
  const std::string path = folder.File("tetra.gltf");
  WriteGltf(path, tetra, FlatCornerNormals(tetra), testing::HostFrameOptions(), false);
  nlohmann::json json = nlohmann::json::parse(ReadText(path));
  // Pretend there are fewer vertices than the indices use.
  const int position = json["meshes"][0]["primitives"][0]["attributes"]["POSITION"];
  json["accessors"][position]["count"] = 2;
  WriteText(path, json.dump());
  const std::string error = testing::ReadError(path);
  EXPECT_NE(error.find("out of range"), std::string::npos) << error;
}

} // namespace
} // namespace qhost
