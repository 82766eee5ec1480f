// Presets end to end: listed, found by name from the build tree, and combined
// with a user's mesh (--input) or scene (--scene).
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "host/io/mesh_file.h"

namespace qhost::testing {
namespace {

// Size of the mesh file's bounding box along x, in metres.
double WidthInMetres(const std::string& path)
{
  const MeshData mesh = ReadMesh(path);
  double low = mesh.points.at(0).x, high = low;
  for (const Vector& p : mesh.points)
  {
    low = std::min(low, double(p.x));
    high = std::max(high, double(p.x));
  }
  return (high - low) / 100.0;
}

nlohmann::json ReadJson(const std::string& path)
{
  std::ifstream in(path);
  return nlohmann::json::parse(in);
}

constexpr int kGeneratorType = 1063355;
constexpr int kSubdivisions = 2000;
constexpr int kLayerCount = 3000;
constexpr int kFields = 2006;
constexpr int kSphereType = 5160;

// The top-level generator of a saved scene.
const nlohmann::json& Generator(const nlohmann::json& scene)
{
  for (const nlohmann::json& object : scene["objects"])
    if (object["type"] == kGeneratorType)
      return object;
  throw std::runtime_error("the scene holds no generator");
}

// A parameter of the scene's generator; null when it is not stored.
nlohmann::json GeneratorValue(const nlohmann::json& scene, int id)
{
  for (const nlohmann::json& entry : Generator(scene)["data"]["entries"])
    if (entry["id"] == id)
      return entry["value"];
  return nullptr;
}

TEST(PresetCliTest, EveryShippedPresetIsListedAndBuilds)
{
  const CommandResult listed = RunQuorvane({"presets"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  TestFolder folder;
  for (const std::string name : {"asteroid", "boulder", "cliff-chunk", "crystal-shard", "pebble", "river-stone"})
  {
    EXPECT_EQ(LinesContaining(listed.out, name + "\t").size(), 1u) << listed.out;
    const CommandResult built = RunQuorvane({"rock", "--preset", name, "--out", folder.Path(name + ".glb")});
    EXPECT_EQ(built.exitCode, 0) << name << ": " << built.err;
  }
  // The names say what the rocks are: a pebble is centimetres, a cliff chunk metres.
  EXPECT_LT(WidthInMetres(folder.Path("pebble.glb")), 0.1);
  EXPECT_GT(WidthInMetres(folder.Path("cliff-chunk.glb")), 2.0);
}

TEST(PresetCliTest, NamesAreReadWithoutCaseAndWithSpacesAsHyphens)
{
  TestFolder folder;
  ASSERT_EQ(RunQuorvane({"rock", "--preset", "river-stone", "--out", folder.Path("a.obj")}).exitCode, 0);
  ASSERT_EQ(RunQuorvane({"rock", "--preset", "River Stone", "--out", folder.Path("b.obj")}).exitCode, 0);
  EXPECT_EQ(ReadMesh(folder.Path("a.obj")).points.size(), ReadMesh(folder.Path("b.obj")).points.size());
}

TEST(PresetCliTest, AnUnknownNameIsRefusedListingTheKnownOnes)
{
  TestFolder folder;
  const CommandResult r = RunQuorvane({"rock", "--preset", "granite", "--out", folder.Path("rock.glb")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--preset granite"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("boulder"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("crystal-shard"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(folder.Path("rock.glb")));
}

TEST(PresetCliTest, WithAnInputMeshThePresetsGeneratorAndMaterialActOnTheUsersMesh)
{
  TestFolder folder;
  // A 2 m cube as the user's mesh; the pebble's own child is 6 cm.
  ASSERT_EQ(RunQuorvane({"rock", "--set", "OXROCK_SUBDIVISIONS=0", "--set", "layer1.Strength=0", "--out",
                         folder.Path("cube.obj")})
                .exitCode,
            0);
  const CommandResult r = RunQuorvane({"rock", "--preset", "pebble", "--input", folder.Path("cube.obj"), "--out",
                                       folder.Path("pebble.glb"), "--save", folder.Path("scene.json")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GT(WidthInMetres(folder.Path("pebble.glb")), 1.0) << "the user's mesh, not the preset's, is the child";
  const nlohmann::json scene = ReadJson(folder.Path("scene.json"));
  EXPECT_EQ(GeneratorValue(scene, kSubdivisions), 4) << "the pebble's subdivisions";
  EXPECT_EQ(Generator(scene)["children"].size(), 1u);
  EXPECT_EQ(scene["materials"].size(), 1u) << "the pebble's material comes along";

  // --primitive puts a new primitive in the preset's child's place.
  ASSERT_EQ(RunQuorvane({"rock", "--preset", "pebble", "--primitive", "sphere", "--out", folder.Path("sphere.obj"),
                         "--save", folder.Path("sphere.json")})
                .exitCode,
            0);
  const nlohmann::json sphere = ReadJson(folder.Path("sphere.json"));
  ASSERT_EQ(Generator(sphere)["children"].size(), 1u);
  EXPECT_EQ(Generator(sphere)["children"][0]["type"], kSphereType);
  EXPECT_EQ(GeneratorValue(sphere, kSubdivisions), 4);
}

TEST(PresetCliTest, WithASceneThePresetsLookReplacesTheGeneratorsKeepingTheScenesChildAndFields)
{
  TestFolder folder;
  ASSERT_EQ(RunQuorvane({"rock", "--set", "OXROCK_SUBDIVISIONS=1", "--field", "spherical,0,0,0,1,2", "--out",
                         folder.Path("mine.obj"), "--save", folder.Path("mine.json")})
                .exitCode,
            0);
  const CommandResult r = RunQuorvane({"rock", "--scene", folder.Path("mine.json"), "--preset", "asteroid", "--out",
                                       folder.Path("asteroid.glb"), "--save", folder.Path("scene.json")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json scene = ReadJson(folder.Path("scene.json"));
  EXPECT_EQ(GeneratorValue(scene, kSubdivisions), 5) << "the asteroid's subdivisions";
  EXPECT_EQ(GeneratorValue(scene, kLayerCount), 2) << "the asteroid's layers";
  EXPECT_EQ(Generator(scene)["children"][0]["name"], "Cube") << "the scene's child stays";
  EXPECT_FALSE(GeneratorValue(scene, kFields).is_null()) << "the scene's fields stay";
  EXPECT_EQ(scene["materials"].size(), 1u);
  // --set still has the last word.
  ASSERT_EQ(RunQuorvane({"rock", "--scene", folder.Path("mine.json"), "--preset", "asteroid", "--set",
                         "OXROCK_SUBDIVISIONS=2", "--out", folder.Path("set.glb"), "--save", folder.Path("set.json")})
                .exitCode,
            0);
  EXPECT_EQ(GeneratorValue(ReadJson(folder.Path("set.json")), kSubdivisions), 2);
}

} // namespace
} // namespace qhost::testing
