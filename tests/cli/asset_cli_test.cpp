// `quorvane asset` end to end, on the GLB files it writes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include "cli_support.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

tinygltf::Model LoadGlb(const std::string& path)
{
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string error, warning;
  EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  return model;
}

std::size_t TriangleCount(const tinygltf::Model& model, int mesh)
{
  return model.accessors[model.meshes[mesh].primitives[0].indices].count / 3;
}

TEST(AssetCliTest, OneGlbHoldsEveryLevelBehindTheFirstThroughMsftLod)
{
  TestFolder folder;
  const CommandResult r = RunQuorvane(
    {"asset", "--out", folder.Path("rock.glb"), "--set", "OXROCK_SUBDIVISIONS=5", "--map-size", "64"});
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const tinygltf::Model model = LoadGlb(folder.Path("rock.glb"));
  ASSERT_EQ(model.nodes.size(), 4u);
  ASSERT_EQ(model.scenes.size(), 1u);
  EXPECT_EQ(model.scenes[0].nodes, std::vector<int>{0}) << "only the full level is in the scene";
  EXPECT_EQ(model.extensionsUsed, std::vector<std::string>{"MSFT_lod"});
  const tinygltf::Value& ids = model.nodes[0].extensions.at("MSFT_lod").Get("ids");
  ASSERT_EQ(ids.ArrayLen(), 3u);
  const tinygltf::Value& coverage = model.nodes[0].extras.Get("MSFT_screencoverage");
  ASSERT_EQ(coverage.ArrayLen(), 4u);

  // 6 * 4^5 quads, two triangles each; the levels at 25, 6 and 1.5 %.
  const std::size_t full = TriangleCount(model, model.nodes[0].mesh);
  EXPECT_EQ(full, 12288u);
  const double fractions[] = {0.25, 0.06, 0.015};
  double previousCoverage = coverage.Get(0).GetNumberAsDouble();
  for (int k = 0; k < 3; ++k)
  {
    const int node = ids.Get(k).GetNumberAsInt();
    const double triangles = double(TriangleCount(model, model.nodes[node].mesh));
    EXPECT_NEAR(triangles, fractions[k] * full, 0.1 * fractions[k] * full) << "level " << k + 1;
    const double levelCoverage = coverage.Get(k + 1).GetNumberAsDouble();
    EXPECT_LT(levelCoverage, previousCoverage) << "lighter levels show at smaller sizes";
    previousCoverage = levelCoverage;
    EXPECT_TRUE(model.meshes[model.nodes[node].mesh].primitives[0].attributes.count("TEXCOORD_0"));
  }
}

TEST(AssetCliTest, LevelsShareColourAndPackedMapsAndEachLighterLevelHasItsNormalMap)
{
  TestFolder folder;
  const CommandResult r =
    RunQuorvane({"asset", "--out", folder.Path("rock.glb"), "--map-size", "64", "--maps-out", "--lods", "20,5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const tinygltf::Model model = LoadGlb(folder.Path("rock.glb"));
  ASSERT_EQ(model.meshes.size(), 3u);
  // Colour, packed occlusion/roughness/metalness, and two normal maps.
  EXPECT_EQ(model.textures.size(), 4u);
  std::set<int> normalTextures;
  for (std::size_t level = 0; level < model.meshes.size(); ++level)
  {
    const tinygltf::Primitive& primitive = model.meshes[level].primitives[0];
    const tinygltf::Material& material = model.materials[primitive.material];
    const int packed = material.pbrMetallicRoughness.metallicRoughnessTexture.index;
    EXPECT_EQ(material.pbrMetallicRoughness.baseColorTexture.index, 0);
    EXPECT_EQ(packed, 1);
    EXPECT_EQ(material.occlusionTexture.index, packed) << "occlusion sits in the red channel of the packed map";
    const bool lighter = level > 0;
    EXPECT_EQ(primitive.attributes.count("TANGENT"), lighter ? 1u : 0u) << "level " << level;
    EXPECT_EQ(material.normalTexture.index >= 0, lighter) << "level " << level;
    if (lighter)
      normalTextures.insert(material.normalTexture.index);
  }
  EXPECT_EQ(normalTextures.size(), 2u) << "each level has a normal map of its own";
  for (const char* name : {"rock_basecolor.png", "rock_orm.png", "rock_normal_LOD1.png", "rock_normal_LOD2.png"})
  {
    const Image map = ReadPng(folder.Path(name));
    EXPECT_EQ(map.width, 64) << name;
    EXPECT_EQ(map.height, 64) << name;
  }
  EXPECT_FALSE(fs::exists(folder.Path("rock_normal_LOD0.png")));
  // The packed map: no metal, and a convex-ish rock is mostly unoccluded.
  const Image packed = ReadPng(folder.Path("rock_orm.png"));
  double occlusion = 0.0;
  for (std::size_t i = 0; i < packed.samples.size(); i += 3)
  {
    EXPECT_EQ(packed.samples[i + 2], 0);
    occlusion += packed.samples[i] / 255.0;
  }
  EXPECT_GT(occlusion / (64 * 64), 0.8);
}

TEST(AssetCliTest, TheMapsCarryTheFullMeshsShadingOntoTheLightestLevel)
{
  TestFolder folder;
  const CommandResult r = RunQuorvane({"asset", "--out", folder.Path("rock.glb"), "--set", "OXROCK_SUBDIVISIONS=6",
                                       "--map-size", "512", "--compare", folder.Path("compare.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> lines = LinesContaining(r.out, "mean difference over six views");
  ASSERT_EQ(lines.size(), 1u) << r.out;
  double withMaps = 0.0, withoutMaps = 0.0;
  ASSERT_EQ(std::sscanf(lines[0].substr(lines[0].find(':') + 1).c_str(), " %lf grey levels with its maps, %lf without",
                        &withMaps, &withoutMaps),
            2)
    << lines[0];
  EXPECT_GT(withoutMaps, 1.0) << "the lightest level alone visibly loses detail";
  EXPECT_LT(withMaps, withoutMaps / 3.0) << lines[0];
  const Image picture = ReadPng(folder.Path("compare.png"));
  EXPECT_EQ(picture.width, 2 * picture.height) << "six views in three rows";
}

TEST(AssetCliTest, SplitWritesEveryLevelAsAFileOfItsOwn)
{
  TestFolder folder;
  const CommandResult r = RunQuorvane(
    {"asset", "--out", folder.Path("rock.glb"), "--split", "--lods", "30,5", "--primitive", "sphere", "--map-size", "32"});
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const tinygltf::Model combined = LoadGlb(folder.Path("rock.glb"));
  ASSERT_EQ(combined.nodes.size(), 3u);
  for (int level = 0; level < 3; ++level)
  {
    const std::string path = folder.Path("rock_LOD" + std::to_string(level) + ".glb");
    const tinygltf::Model single = LoadGlb(path);
    ASSERT_EQ(single.nodes.size(), 1u);
    EXPECT_TRUE(single.extensionsUsed.empty());
    EXPECT_EQ(TriangleCount(single, 0), TriangleCount(combined, level)) << path;
    // Every level reads back as a mesh with UVs through the host's reader.
    EXPECT_TRUE(ReadMesh(path).HasUVs()) << path;
  }
  EXPECT_FALSE(fs::exists(folder.Path("rock_LOD3.glb")));
}

TEST(AssetCliTest, TheValidatorFindsNeitherErrorsNorWarnings)
{
  TestFolder folder;
  const CommandResult r = RunQuorvane({"asset", "--out", folder.Path("rock.glb"), "--split", "--map-size", "128"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> args{std::string(QV_SOURCE_DIR) + "/scripts/validate_gltf.sh", folder.Path("rock.glb")};
  for (int level = 0; level < 4; ++level)
    args.push_back(folder.Path("rock_LOD" + std::to_string(level) + ".glb"));
  const CommandResult v = RunCommand("bash", args);
  if (v.exitCode == 77)
    GTEST_SKIP() << "glTF validator not installed";
  ASSERT_EQ(v.exitCode, 0) << v.out << v.err;
  EXPECT_EQ(LinesContaining(v.out, " 0 errors, 0 warnings").size(), 5u) << v.out;
}

// The mean of every channel of a PNG file.
double MeanSample(const std::string& path)
{
  const Image image = ReadPng(path);
  double sum = 0.0;
  for (const std::uint16_t sample : image.samples)
    sum += sample;
  return sum / double(image.samples.size());
}

TEST(AssetCliTest, APresetGivesItsShapeAndItsMaterialToTheAsset)
{
  TestFolder folder;
  for (const char* preset : {"", "asteroid"})
  {
    std::vector<std::string> args{"asset", "--out", folder.Path(std::string(preset) + "rock.glb"), "--map-size", "64",
                                  "--maps-out"};
    if (*preset)
      args.insert(args.end(), {"--preset", preset});
    const CommandResult r = RunQuorvane(args);
    ASSERT_EQ(r.exitCode, 0) << preset << ": " << r.err;
  }
  EXPECT_NE(LoadGlb(folder.Path("rock.glb")).accessors[0].count,
            LoadGlb(folder.Path("asteroidrock.glb")).accessors[0].count);
  EXPECT_GT(std::abs(MeanSample(folder.Path("rock_basecolor.png")) -
                     MeanSample(folder.Path("asteroidrock_basecolor.png"))),
            2.0)
    << "the preset's material colours the base colour map";
}

TEST(AssetCliTest, AMeshWithoutUVsIsRefusedAndNothingIsWritten)
{
  TestFolder folder;
  {
    std::ofstream obj(folder.Path("tetra.obj"));
    obj << "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
  }
  const CommandResult r = RunQuorvane({"asset", "--input", folder.Path("tetra.obj"), "--out", folder.Path("rock.glb")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no UVs"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(folder.Path("rock.glb")));
}

TEST(AssetCliTest, BadOptionsAreRefusedBeforeAnythingIsWritten)
{
  TestFolder folder;
  const std::vector<std::vector<std::string>> refused = {
    {"--out", folder.Path("rock.obj")},
    {"--out", folder.Path("rock.glb"), "--lods", "25,40"},
    {"--out", folder.Path("rock.glb"), "--lods", "0"},
    {"--out", folder.Path("rock.glb"), "--lods", "100"},
    {"--out", folder.Path("rock.glb"), "--input", folder.Path("missing.obj")},
    {"--out", folder.Path("no/such/folder/rock.glb")},
    {"--out", folder.Path("rock.glb"), "--texture-set", "NO_SUCH_PARAMETER=1"},
    {"--out", folder.Path("rock.glb"), "--map-size", "8"},

  };
  for (const std::vector<std::string>& options : refused)
  {
    std::vector<std::string> args{"asset"};
    args.insert(args.end(), options.begin(), options.end());
    const CommandResult r = RunQuorvane(args);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 2) << options[1] << " " << (options.size() > 2 ? options[3] : "") << r.err;
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_TRUE(fs::is_empty(folder.Path("")));
}

} // namespace
} // namespace qhost::testing
