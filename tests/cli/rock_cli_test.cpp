// `quorvane rock` end to end, on the files it writes.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli_support.h"
#include "host/core/read_file.h"
#include "host/io/mesh_file.h"
#include "host/io/mesh_gltf.h"
#include "host/io/mesh_obj.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

class RockCliTest : public ::testing::Test
{
protected:
  std::string Path(const std::string& name) const { return folder.Path(name); }

  TestFolder folder;
};

// A mesh file in its own units, without conversion into host units.
MeshData ReadRaw(const std::string& path)
{
  return ParseMesh(ReadFileBytes(path, kMaxMeshFileBytes), path);
}

MeshData ReadBack(const std::string& path)
{
  MeshData mesh;
  EXPECT_NO_THROW(mesh = ReadMesh(path));
  return mesh;
}

TEST_F(RockCliTest, DefaultRockIsADisplacedSubdividedCube)
{
  const CommandResult r = RunQuorvane({"rock", "--out", Path("rock.glb"), "--preview", Path("rock.png")});
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The module's console lines are printed only with -v.
  EXPECT_EQ(r.out.find("[console]"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("[console]"), std::string::npos) << r.err;
  const MeshData mesh = ReadBack(Path("rock.glb"));
  EXPECT_EQ(mesh.points.size(), 1538u);
  EXPECT_TRUE(mesh.HasUVs());
  // A cube of size 200 subdivided is within the sphere of radius ~173; the
  // first layer pushes points out by up to 50 units, unevenly.
  Float nearest = 1e9, farthest = 0.0;
  for (const Vector& p : mesh.points)
  {
    nearest = std::min(nearest, p.GetLength());
    farthest = std::max(farthest, p.GetLength());
  }
  EXPECT_GT(farthest - nearest, 10.0) << "the first layer displaces the rock visibly";
  EXPECT_TRUE(fs::file_size(Path("rock.png")) > 1000);
}

// The extent of a mesh along each axis.
Vector Size(const MeshData& mesh)
{
  Vector low(1e30), high(-1e30);
  for (const Vector& p : mesh.points)
  {
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  return high - low;
}

TEST_F(RockCliTest, FilesAreInMetresUnlessTheUnitSaysOtherwise)
{
  ASSERT_EQ(RunQuorvane({"rock", "--out", Path("rock.glb")}).exitCode, 0);
  MeshData file;
  ASSERT_NO_THROW(file = ReadRaw(Path("rock.glb")));
  // The 2 m default cube, pushed out by its noise layer.
  const Vector metres = Size(file);
  for (Float extent : {metres.x, metres.y, metres.z})
  {
    EXPECT_GT(extent, 2.0);
    EXPECT_LT(extent, 3.5);
  }

  ASSERT_EQ(RunQuorvane({"rock", "--out", Path("rock.obj"), "--unit", "cm", "--up", "z"}).exitCode, 0);
  ASSERT_NO_THROW(file = ReadRaw(Path("rock.obj")));
  const Vector centimetresZUp = Size(file);
  EXPECT_NEAR(centimetresZUp.x, 100.0 * metres.x, 1e-3);
  EXPECT_NEAR(centimetresZUp.y, 100.0 * metres.z, 1e-3);
  EXPECT_NEAR(centimetresZUp.z, 100.0 * metres.y, 1e-3);
}

TEST_F(RockCliTest, AnInputIsReadInItsUnitAndUpAxis)
{
  {
    // A slab 1 m wide and 20 cm high, in millimetres with Z up.
    std::ofstream obj(Path("slab.obj"));
    obj << "v -500 -500 -100\nv 500 -500 -100\nv 500 500 -100\nv -500 500 -100\n"
           "v -500 -500 100\nv 500 -500 100\nv 500 500 100\nv -500 500 100\n"
           "f 4 3 2 1\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
  }
  const CommandResult r = RunQuorvane({"rock", "--input", Path("slab.obj"), "--unit", "mm", "--up", "z", "--out",
                                       Path("slab.glb"), "--set", "OXROCK_SUBDIVISIONS=1", "--set", "2001=false",
                                       "--set", "layer1.OXROCK_LAYER_STRENGTH=0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  MeshData file;
  ASSERT_NO_THROW(file = ReadRaw(Path("slab.glb")));
  const Vector metres = Size(file);
  EXPECT_NEAR(metres.x, 1.0, 1e-6);
  EXPECT_NEAR(metres.y, 0.2, 1e-6) << "the file's Z is the host's up";
  EXPECT_NEAR(metres.z, 1.0, 1e-6);

  for (const char* bad : {"--unit=inch", "--up=x"})
  {
    const CommandResult refused = RunQuorvane({"rock", "--out", Path("never.glb"), bad});
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_NE(refused.err.find(std::string(bad).substr(0, 4)), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(Path("never.glb")));
  }
}

TEST_F(RockCliTest, FormatsFollowTheExtensionAndParametersApply)
{
  for (const char* name : {"rock.obj", "rock.ply", "rock.gltf"})
  {
    const CommandResult r = RunQuorvane({"rock", "--out", Path(name), "--set", "OXROCK_SUBDIVISIONS=2", "--set",
                                         "2001=false", "--set", "layer1.OXROCK_LAYER_NOISE_TYPE=fBm"});
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
    const MeshData mesh = ReadBack(Path(name));
    EXPECT_EQ(mesh.points.size(), 98u) << name; // a cube split twice
  }
}

TEST_F(RockCliTest, LayerButtonsAndSeedChangeTheRock)
{
  ASSERT_EQ(RunQuorvane({"rock", "--out", Path("a.obj")}).exitCode, 0);
  ASSERT_EQ(RunQuorvane({"rock", "--out", Path("b.obj"), "--set", "OXROCK_SEED=9"}).exitCode, 0);
  const CommandResult two = RunQuorvane({"rock", "--out", Path("c.obj"), "--add-layer", "1", "--set",
                                         "layer2.OXROCK_LAYER_STRENGTH=40%", "--set", "layer2.Noise Type=Voronoi 1"});
  ASSERT_EQ(two.exitCode, 0) << two.err;
  const MeshData a = ReadBack(Path("a.obj"));
  EXPECT_NE(a.points, ReadBack(Path("b.obj")).points);
  EXPECT_NE(a.points, ReadBack(Path("c.obj")).points);
}

TEST_F(RockCliTest, AMeshFileBecomesTheChildWithItsGroupsAsSelections)
{
  {
    std::ofstream obj(Path("slab.obj"));
    obj << "v -0.5 -0.1 -0.5\nv 0.5 -0.1 -0.5\nv 0.5 -0.1 0.5\nv -0.5 -0.1 0.5\n"
           "v -0.5 0.1 -0.5\nv 0.5 0.1 -0.5\nv 0.5 0.1 0.5\nv -0.5 0.1 0.5\n"
           "g bottom\nf 1 2 3 4\ng top\nf 8 7 6 5\ng sides\nf 1 5 6 2\nf 2 6 7 3\nf 3 7 8 4\nf 4 8 5 1\n";
  }
  const CommandResult r = RunQuorvane({"rock", "--input", Path("slab.obj"), "--out", Path("slab_rock.obj"), "--set",
                                       "OXROCK_SUBDIVISIONS=1", "--set", "layer1.OXROCK_LAYER_SELECTION=top"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const MeshData mesh = ReadBack(Path("slab_rock.obj"));
  EXPECT_EQ(mesh.polygons.size(), 24u);
  bool hasTop = false;
  for (const NamedSelection& s : mesh.selections)
    hasTop |= s.name == "top" && s.polygons.size() == 4;
  EXPECT_TRUE(hasTop) << "the selection travels through the build";
}

TEST_F(RockCliTest, BadInputIsAClearErrorAndWritesNothing)
{
  struct Case
  {
    std::vector<std::string> args;
    std::string message;
  };
  {
    std::ofstream broken(Path("broken.obj"));
    broken << "v 0 0 0\nf 1 2 3\n";
  }
  const Case cases[] = {
      {{"--set", "NO_SUCH_PARAMETER=1"}, "NO_SUCH_PARAMETER"},
      {{"--set", "OXROCK_SUBDIVISIONS=lots"}, "OXROCK_SUBDIVISIONS"},
      {{"--set", "layer3.OXROCK_LAYER_STRENGTH=1"}, "layer3"},
      {{"--set", "layer1.OXROCK_LAYER_SELECTION=nowhere"}, "nowhere"},
      {{"--input", Path("missing.obj")}, "missing.obj"},
      {{"--input", Path("broken.obj")}, "broken.obj"},
      {{"--field", "cone,0,0,0,1,2"}, "cone"},
  };
  for (const Case& c : cases)
  {
    std::vector<std::string> args = {"rock", "--out", Path("never.glb")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandResult r = RunQuorvane(args);
    ASSERT_TRUE(r.exited) << c.message;
    EXPECT_NE(r.exitCode, 0) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("never.glb"))) << c.message;
  }
}

TEST_F(RockCliTest, AnExistingOutputSurvivesAFailedRun)
{
  {
    std::ofstream keep(Path("keep.obj"));
    keep << "# an earlier rock\n";
  }
  const CommandResult r = RunQuorvane({"rock", "--out", Path("keep.obj"), "--set", "OXROCK_SEED=x"});
  EXPECT_NE(r.exitCode, 0);
  std::ifstream keep(Path("keep.obj"));
  std::string line;
  std::getline(keep, line);
  EXPECT_EQ(line, "# an earlier rock");
}

TEST_F(RockCliTest, FieldsAndTexturesFromTheCommandLine)
{
  const CommandResult r = RunQuorvane({"rock", "--out", Path("fielded.glb"), "--field", "spherical,0,2,0,0.5,1.5",
                                       "--texture", "--texture-size", "64"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("textured"), std::string::npos);
  const CommandResult obj = RunQuorvane({"rock", "--out", Path("fielded.obj"), "--texture"});
  EXPECT_NE(obj.exitCode, 0) << "a texture needs glTF output";
}

} // namespace
} // namespace qhost::testing

namespace qhost::testing {
namespace {

TEST_F(RockCliTest, ASavedSceneBuildsTheSameRockAgain)
{
  const CommandResult saved = RunQuorvane({"rock", "--out", Path("first.obj"), "--set", "OXROCK_SEED=77", "--add-layer",
                                           "1", "--save", Path("scene.json")});
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  ASSERT_TRUE(fs::exists(Path("scene.json")));
  const CommandResult loaded = RunQuorvane({"rock", "--scene", Path("scene.json"), "--out", Path("second.obj")});
  ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
  EXPECT_EQ(ReadBack(Path("first.obj")).points, ReadBack(Path("second.obj")).points);

  {
    std::ofstream broken(Path("broken.json"));
    broken << "{\"format\": \"quorvane-scene\", \"version\": 1, \"objects\": [";
  }
  const CommandResult bad = RunQuorvane({"rock", "--scene", Path("broken.json"), "--out", Path("never.obj")});
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("broken.json"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(Path("never.obj")));
}

} // namespace
} // namespace qhost::testing
