// Textures from the command line: `rock --texture` with its projections, the
// scene's material and height maps beside the mesh; gradients typed as knot
// lists.
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <tiny_gltf.h>

#include "cli_support.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"
#include "host/shading/seam_measure.h"
#include "module/module_files.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

class TextureCliTest : public ::testing::Test
{
protected:
  std::string Path(const std::string& name) const { return folder_ / name; }

private:
  ScratchFolder folder_;
};

void ExpectSuccess(const CommandResult& r)
{
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

// The decoded images embedded in a binary glTF file (RGBA, 8 bits).
std::vector<tinygltf::Image> EmbeddedImages(const std::string& path)
{
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  return model.images;
}

// The distinct RGB colours of an RGBA image.
std::set<std::array<int, 3>> Colors(const tinygltf::Image& image)
{
  std::set<std::array<int, 3>> colors;
  for (size_t i = 0; i + 3 < image.image.size(); i += 4)
    colors.insert({image.image[i], image.image[i + 1], image.image[i + 2]});
  return colors;
}

TEST_F(TextureCliTest, RockTexturesAreSolidByDefaultAndUvOnRequest)
{
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("solid.glb"), "--texture", "--texture-size", "64"}));
  ExpectSuccess(RunQuorvane(
      {"rock", "--out", Path("explicit.glb"), "--texture", "--texture-size", "64", "--projection", "solid"}));
  ExpectSuccess(
      RunQuorvane({"rock", "--out", Path("uv.glb"), "--texture", "--texture-size", "64", "--projection", "uv"}));
  const auto solid = EmbeddedImages(Path("solid.glb"));
  const auto uv = EmbeddedImages(Path("uv.glb"));
  ASSERT_EQ(solid.size(), 1u);
  ASSERT_EQ(uv.size(), 1u);
  EXPECT_EQ(solid[0].width, 64);
  EXPECT_EQ(solid[0].image, EmbeddedImages(Path("explicit.glb"))[0].image);
  EXPECT_NE(solid[0].image, uv[0].image);
  EXPECT_GT(Colors(solid[0]).size(), 20u) << "a pattern, not a flat colour";

  const CommandResult bad = RunQuorvane({"rock", "--out", Path("bad.glb"), "--texture", "--projection", "cubic"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--projection cubic"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(Path("bad.glb")));

  // Texture settings without --texture would do nothing; they are refused.
  for (const std::vector<std::string>& alone :
       {std::vector<std::string>{"--projection", "uv"}, {"--texture-mode", "height"}, {"--texture-size", "64"},
        {"--texture-set", "XQUORVANE_CLIP=0.1"}})
  {
    std::vector<std::string> args = {"rock", "--out", Path("alone.glb")};
    args.insert(args.end(), alone.begin(), alone.end());
    const CommandResult r = RunQuorvane(args);
    EXPECT_EQ(r.exitCode, 2) << alone[0];
    EXPECT_NE(r.err.find("--texture"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("alone.glb"))) << alone[0];
  }
}

// The embedded texture as an image of our own (RGBA, 8 bits).
Image ToImage(const tinygltf::Image& embedded)
{
  Image image = MakeImage(embedded.width, embedded.height, 4, 8);
  image.samples.assign(embedded.image.begin(), embedded.image.end());
  return image;
}

TEST_F(TextureCliTest, TheDefaultRocksTextureRunsOnAcrossEverySeam)
{
  // The OBJ file holds the same rock with its points shared across the seams,
  // which is what finds them.
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("rock.obj")}));
  MeshData mesh;
  std::string error;
  ASSERT_NO_THROW(mesh = ReadMesh(Path("rock.obj")));
  const SurfaceTexels texels = MapSurfaceTexels(mesh, 128, 128);

  for (const std::string projection : {"solid", "uv"})
  {
    ExpectSuccess(RunQuorvane({"rock", "--out", Path(projection + ".glb"), "--texture", "--texture-size", "128",
                               "--projection", projection}));
    const auto images = EmbeddedImages(Path(projection + ".glb"));
    ASSERT_EQ(images.size(), 1u);
    const test::SeamSteps steps = test::MeasureSeamSteps(ToImage(images[0]), mesh, texels);
    EXPECT_GT(steps.seamSamples, 100u);
    ASSERT_GT(steps.largestBetweenNeighbours, 0) << projection;
    if (projection == "solid")
      EXPECT_LE(steps.largestAcrossSeams, steps.largestBetweenNeighbours);
    else
      EXPECT_GT(steps.largestAcrossSeams, steps.largestBetweenNeighbours) << "the measure sees the UV seams";
  }
}

TEST_F(TextureCliTest, AHeightMapGoesBesideTheMeshNeverIntoItsColour)
{
  const CommandResult r =
      RunQuorvane({"rock", "--out", Path("rock.glb"), "--texture", "--texture-mode", "height", "--texture-size", "32"});
  ExpectSuccess(r);
  EXPECT_TRUE(EmbeddedImages(Path("rock.glb")).empty()) << "no height map in the base colour";
  Image height;
  ASSERT_NO_THROW(height = ReadPng(Path("rock_height.png")));
  EXPECT_EQ(height.width, 32);
  EXPECT_EQ(height.bitDepth, 16);

  // Any mesh format can have a height map beside it.
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("rock.obj"), "--texture", "--texture-mode", "height",
                             "--texture-size", "16"}));
  EXPECT_TRUE(fs::exists(Path("rock_height.png")));
  EXPECT_NE(RunQuorvane({"rock", "--out", Path("coloured.obj"), "--texture"}).exitCode, 0)
      << "a colour texture still needs glTF output";
}

TEST_F(TextureCliTest, TheScenesMaterialIsTheOneBaked)
{
  // A flat colour is easy to recognise: #c04020 at both ends of the gradient.
  const std::string flat = "XQUORVANE_COLOR_GRADIENT=0:#c04020,1:#c04020";
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("first.glb"), "--texture", "--texture-size", "16",
                             "--texture-set", flat, "--save", Path("scene.json")}));
  ExpectSuccess(
      RunQuorvane({"rock", "--scene", Path("scene.json"), "--out", Path("again.glb"), "--texture", "--texture-size", "16"}));
  for (const char* file : {"first.glb", "again.glb"})
  {
    const auto images = EmbeddedImages(Path(file));
    ASSERT_EQ(images.size(), 1u) << file;
    const std::set<std::array<int, 3>> expected = {{0xc0, 0x40, 0x20}};
    EXPECT_EQ(Colors(images[0]), expected) << file;
  }
}

TEST_F(TextureCliTest, TheGeneratorsTextureTagKeepsTheProjection)
{
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("uv.glb"), "--texture", "--texture-size", "32", "--projection",
                             "uv", "--save", Path("uv.json")}));
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("solid.glb"), "--texture", "--texture-size", "32"}));
  // The saved scene's tag says uv; an explicit --projection overrides it.
  ExpectSuccess(RunQuorvane(
      {"rock", "--scene", Path("uv.json"), "--out", Path("again.glb"), "--texture", "--texture-size", "32"}));
  ExpectSuccess(RunQuorvane({"rock", "--scene", Path("uv.json"), "--out", Path("over.glb"), "--texture",
                             "--texture-size", "32", "--projection", "solid"}));
  const auto uv = EmbeddedImages(Path("uv.glb"));
  const auto solid = EmbeddedImages(Path("solid.glb"));
  ASSERT_EQ(uv.size(), 1u);
  ASSERT_EQ(solid.size(), 1u);
  ASSERT_NE(uv[0].image, solid[0].image);
  EXPECT_EQ(EmbeddedImages(Path("again.glb"))[0].image, uv[0].image);
  EXPECT_EQ(EmbeddedImages(Path("over.glb"))[0].image, solid[0].image);
}

TEST_F(TextureCliTest, TheTextureCommandBakesASavedScenesMaterial)
{
  ExpectSuccess(RunQuorvane({"texture", "--out", Path("first.png"), "--size", "16", "--set",
                             "XQUORVANE_COLOR_GRADIENT=0:#306090,1:#306090", "--save", Path("scene.json")}));
  ExpectSuccess(RunQuorvane({"texture", "--scene", Path("scene.json"), "--out", Path("again.png"), "--size", "16"}));
  Image first, again;
  ASSERT_NO_THROW(first = ReadPng(Path("first.png")));
  ASSERT_NO_THROW(again = ReadPng(Path("again.png")));
  EXPECT_EQ(again.samples, first.samples);
  EXPECT_EQ(first.At(5, 7, 0), 0x30);
  EXPECT_EQ(first.At(5, 7, 1), 0x60);
  EXPECT_EQ(first.At(5, 7, 2), 0x90);

  // A rock scene without a texture has no Quorvane material to bake.
  ExpectSuccess(RunQuorvane({"rock", "--out", Path("plain.obj"), "--save", Path("plain.json")}));
  const CommandResult r = RunQuorvane({"texture", "--scene", Path("plain.json"), "--out", Path("never.png")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("plain.json"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(Path("never.png")));
}

TEST_F(TextureCliTest, GradientsAreKnotListsWithAnInterpolation)
{
  ExpectSuccess(RunQuorvane({"texture", "--out", Path("step.png"), "--size", "48", "--set",
                             "XQUORVANE_COLOR_GRADIENT=0:#000,0.5:#fff,step"}));
  ExpectSuccess(RunQuorvane({"texture", "--out", Path("smooth.png"), "--size", "48", "--set",
                             "XQUORVANE_COLOR_GRADIENT=0:#000000,50%:#ffffff"}));
  Image step, smooth;
  ASSERT_NO_THROW(step = ReadPng(Path("step.png")));
  ASSERT_NO_THROW(smooth = ReadPng(Path("smooth.png")));
  std::set<std::uint16_t> stepValues, smoothValues;
  for (const std::uint16_t v : step.samples)
    stepValues.insert(v);
  for (const std::uint16_t v : smooth.samples)
    smoothValues.insert(v);
  EXPECT_EQ(stepValues, (std::set<std::uint16_t>{0, 255})) << "a step gradient has only its knots' colours";
  EXPECT_GT(smoothValues.size(), 10u) << "a smooth one blends between them";

  // A number is a linear grey level, as a height map wants it.
  ExpectSuccess(RunQuorvane({"texture", "--out", Path("half.png"), "--size", "8", "--mode", "height", "--set",
                             "XQUORVANE_HEIGHT_GRADIENT=0:0.5,1:50%"}));
  Image half;
  ASSERT_NO_THROW(half = ReadPng(Path("half.png")));
  EXPECT_EQ(half.bitDepth, 16);
  for (const std::uint16_t v : half.samples)
    ASSERT_NEAR(v, 32768, 1);

  for (const std::string bad : {"0:#zz0000", "1.5:#ffffff", "0:#ffffff,linear,1:#000000", "linear", "0:ffffff", ""})
  {
    const CommandResult r =
        RunQuorvane({"texture", "--out", Path("never.png"), "--size", "8", "--set", "XQUORVANE_COLOR_GRADIENT=" + bad});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find("XQUORVANE_COLOR_GRADIENT"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("never.png"))) << bad;
  }
}

} // namespace
} // namespace qhost::testing
