// `quorvane rock` options end to end: values in the units describe shows,
// limits, links by name, what is printed, and checks made before the build.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

#include "cli_support.h"
#include "host/io/mesh_file.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

class RockOptionsCliTest : public ::testing::Test
{
protected:
  std::string Path(const std::string& name) const { return folder.Path(name); }

  // Builds a small rock (subdivisions 2) with extra arguments into name.
  CommandResult Rock(const std::string& name, std::vector<std::string> extra) const
  {
    std::vector<std::string> args = {"rock", "--out", Path(name), "--set", "OXROCK_SUBDIVISIONS=2"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunQuorvane(args);
  }

  std::string Bytes(const std::string& name) const
  {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TestFolder folder;
};

TEST_F(RockOptionsCliTest, PercentagesAreTypedAsDescribeShowsThem)
{
  ASSERT_EQ(Rock("default.obj", {}).exitCode, 0);
  ASSERT_EQ(Rock("plain.obj", {"--set", "layer1.Strength=50"}).exitCode, 0);
  ASSERT_EQ(Rock("percent.obj", {"--set", "layer1.OXROCK_LAYER_STRENGTH=50%"}).exitCode, 0);
  EXPECT_EQ(Bytes("plain.obj"), Bytes("percent.obj")) << "50 and 50% are the same 50 %";
  EXPECT_NE(Bytes("plain.obj"), Bytes("default.obj"));

  // The saved scene holds the stored fraction, which describe shows as 50%.
  ASSERT_EQ(Rock("saved.obj", {"--set", "layer1.Strength=50", "--save", Path("scene.json")}).exitCode, 0);
  const CommandResult described = RunQuorvane({"describe", "oxrock", "--scene", Path("scene.json")});
  ASSERT_EQ(described.exitCode, 0) << described.err;
  const std::vector<std::string> strength = LinesContaining(described.out, "OXROCK_LAYER_STRENGTH");
  ASSERT_EQ(strength.size(), 1u) << described.out;
  EXPECT_NE(strength[0].find("  50%  "), std::string::npos) << strength[0];
}

TEST_F(RockOptionsCliTest, ValuesBeyondTheLimitsAreClampedWithAWarning)
{
  const CommandResult r = Rock("clamped.obj", {"--set", "OXROCK_SEED=-1", "--set", "layer1.Flatten=150%", "--set",
                                               "OXROCK_SMOOTHING=25", "--set", "layer1.Strength=-20%"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> warnings = LinesContaining(r.err, "warning");
  ASSERT_EQ(warnings.size(), 4u) << r.err;
  EXPECT_NE(warnings[0].find("OXROCK_SEED=-1"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[0].find("-1 given, 0 used"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[1].find("150% given, 100% used"), std::string::npos) << warnings[1];
  EXPECT_NE(warnings[2].find("25 given, 20 used"), std::string::npos) << warnings[2];
  EXPECT_NE(warnings[3].find("-20% given, 0% used"), std::string::npos) << warnings[3];

  // The clamped values are the ones used: the same rock as typed in range.
  ASSERT_EQ(Rock("in_range.obj", {"--set", "OXROCK_SEED=0", "--set", "layer1.Flatten=100", "--set",
                                  "OXROCK_SMOOTHING=20", "--set", "layer1.Strength=0"})
                .exitCode,
            0);
  EXPECT_EQ(Bytes("clamped.obj"), Bytes("in_range.obj"));
}

TEST_F(RockOptionsCliTest, UnknownChoicesAndSelectionsListWhatThereIs)
{
  const CommandResult mode = Rock("never.obj", {"--set", "layer1.Mode=Multiply"});
  EXPECT_EQ(mode.exitCode, 2);
  EXPECT_NE(mode.err.find("one of: Add (0), Subtract (1)"), std::string::npos) << mode.err;

  {
    std::ofstream obj(Path("slab.obj"));
    obj << "v -0.5 -0.1 -0.5\nv 0.5 -0.1 -0.5\nv 0.5 -0.1 0.5\nv -0.5 -0.1 0.5\n"
           "v -0.5 0.1 -0.5\nv 0.5 0.1 -0.5\nv 0.5 0.1 0.5\nv -0.5 0.1 0.5\n"
           "g bottom\nf 1 2 3 4\ng top\nf 8 7 6 5\ng sides\nf 1 5 6 2\nf 2 6 7 3\nf 3 7 8 4\nf 4 8 5 1\n";
  }
  const CommandResult selection =
      Rock("never.obj", {"--input", Path("slab.obj"), "--set", "layer1.Selection=middle"});
  EXPECT_EQ(selection.exitCode, 2);
  EXPECT_NE(selection.err.find("\"middle\" (it has: "), std::string::npos) << selection.err;
  for (const char* name : {"bottom", "top", "sides"})
    EXPECT_NE(selection.err.find(name), std::string::npos) << selection.err;
  const CommandResult none = Rock("never.obj", {"--set", "layer1.Selection=top"});
  EXPECT_NE(none.err.find("(it has none)"), std::string::npos) << none.err;
  EXPECT_FALSE(fs::exists(Path("never.obj")));

  // A selection limits the layer to its polygons: the bottom stays flat.
  ASSERT_EQ(Rock("top.obj", {"--input", Path("slab.obj"), "--set", "layer1.Selection=top", "--set", "2001=false"})
                .exitCode,
            0);
  MeshData top;
  std::string error;
  ASSERT_NO_THROW(top = ReadMesh(Path("top.obj")));
  Float lowest = 1e9, highest = -1e9;
  for (const Vector& p : top.points)
  {
    lowest = std::min(lowest, p.y);
    highest = std::max(highest, p.y);
  }
  EXPECT_NEAR(lowest, -10.0, 1e-6) << "the bottom, 10 cm below the centre, is not displaced";
  EXPECT_GT(highest, 10.0 + 1e-3) << "the top is displaced";
}

TEST_F(RockOptionsCliTest, LengthsAreInTheFileUnitOrCarryTheirOwn)
{
  ASSERT_EQ(Rock("metres.obj", {"--field", "spherical,0,2,0,0.5,1.5"}).exitCode, 0);
  ASSERT_EQ(Rock("suffixed.obj", {"--field", "spherical,0,200cm,0,500mm,1.5m"}).exitCode, 0);
  ASSERT_EQ(Rock("centimetres.obj", {"--unit", "cm", "--field", "spherical,0,200,0,50,150"}).exitCode, 0);
  ASSERT_EQ(Rock("unfielded.obj", {}).exitCode, 0);
  MeshData metres, suffixed, centimetres;
  std::string error;
  ASSERT_NO_THROW(metres = ReadMesh(Path("metres.obj")));
  ASSERT_NO_THROW(suffixed = ReadMesh(Path("suffixed.obj")));
  ASSERT_NO_THROW(centimetres = ReadMesh(Path("centimetres.obj"), MeshFileFrame{kCentimetre, UpAxis::Y}));
  EXPECT_EQ(metres.points, suffixed.points);
  ASSERT_EQ(metres.points.size(), centimetres.points.size());
  for (size_t i = 0; i < metres.points.size(); ++i)
    EXPECT_NEAR((metres.points[i] - centimetres.points[i]).GetLength(), 0.0, 1e-9);
  EXPECT_NE(Bytes("metres.obj"), Bytes("unfielded.obj")) << "the field weights the layer";

  const CommandResult bad = Rock("never.obj", {"--field", "spherical,0,2ft,0,1,2"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("\"2ft\" is not a length"), std::string::npos) << bad.err;
  for (const char* length : {"nan", "inf", "1e308m"})
  {
    const CommandResult refused = Rock("never.obj", {"--field", std::string("spherical,0,") + length + ",0,1,2"});
    EXPECT_EQ(refused.exitCode, 2) << length;
    EXPECT_NE(refused.err.find("is not a length"), std::string::npos) << refused.err;
  }
}

TEST_F(RockOptionsCliTest, OneSummaryLineAndConsoleLinesOnlyWhenAskedFor)
{
  const CommandResult quiet = Rock("rock.glb", {});
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
  const std::regex summary(".*rock\\.glb: 98 points, 96 polygons, \\d+\\.\\d\\d x \\d+\\.\\d\\d x \\d+\\.\\d\\d m, "
                           "\\d+\\.\\d\\d s\n");
  EXPECT_TRUE(std::regex_match(quiet.out, summary)) << quiet.out;
  EXPECT_EQ(quiet.err, "");

  const CommandResult verbose = RunQuorvane({"-v", "--console", Path("console.txt"), "--progress", "rock", "--out",
                                             Path("rock.glb"), "--set", "OXROCK_SUBDIVISIONS=2"});
  ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
  EXPECT_FALSE(LinesContaining(verbose.err, "[console] maxval = ").empty()) << verbose.err;
  std::ifstream console(Path("console.txt"));
  const std::string logged((std::istreambuf_iterator<char>(console)), {});
  EXPECT_FALSE(LinesContaining(logged, "[console] maxval = ").empty()) << logged;
  EXPECT_EQ(LinesContaining(verbose.err, "Building rock: ").size(), 1u) << verbose.err;
  EXPECT_EQ(LinesContaining(verbose.err, "Writing ").size(), 1u) << verbose.err;
}

TEST_F(RockOptionsCliTest, ThePrimitiveOptionChoosesTheChild)
{
  for (const char* primitive : {"cube", "sphere", "plane"})
  {
    const CommandResult r =
        Rock(std::string(primitive) + ".obj", {"--primitive", primitive, "--set", "layer1.Strength=0"});
    ASSERT_EQ(r.exitCode, 0) << primitive << ": " << r.err;
  }
  EXPECT_NE(Bytes("cube.obj"), Bytes("sphere.obj"));
  MeshData plane;
  std::string error;
  ASSERT_NO_THROW(plane = ReadMesh(Path("plane.obj")));
  for (const Vector& p : plane.points)
    EXPECT_EQ(p.y, 0.0) << "an undisplaced plane lies in the ground plane";
  const CommandResult both = Rock("never.obj", {"--primitive", "sphere", "--input", Path("plane.obj")});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_EQ(Rock("never.obj", {"--primitive", "cone"}).exitCode, 2);
}

TEST_F(RockOptionsCliTest, BadOutputsAreRefusedBeforeTheBuild)
{
  struct Case
  {
    std::vector<std::string> args;
    std::string message;
  };
  fs::create_directories(Path("folder.glb"));
  const Case cases[] = {
      {{"--out", Path("missing/rock.glb")}, "missing does not exist"},
      {{"--out", Path("folder.glb")}, "is a folder"},
      {{"--out", Path("rock.stl")}, "unknown mesh file extension"},
      {{"--out", Path("rock.glb"), "--preview", Path("missing/rock.png")}, "--preview"},
      {{"--out", Path("rock.glb"), "--save", Path("missing/scene.json")}, "--save"},
      {{"--out", Path("rock.glb"), "--set", "layer1.Strength=lots"}, "a percentage"},
      {{"--out", Path("rock.glb"), "--texture", "--texture-mode", "normal"}, "normal"},
      {{"--out", Path("rock.glb"), "--texture", "--texture-set", "XQUORVANE_NOPE=1"}, "XQUORVANE_NOPE"},
  };
  for (const Case& c : cases)
  {
    std::vector<std::string> args = {"rock"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandResult r = RunQuorvane(args);
    EXPECT_EQ(r.exitCode, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("rock.glb"))) << c.message;
    EXPECT_EQ(r.out, "") << "nothing was built for " << c.message;
  }
}

} // namespace
} // namespace qhost::testing
