// Counts and values beyond the generator's limits, from options and scene
// files, are refused at once with the option or JSON path named (exit 2),
// and input that is not a regular file is refused before it is opened.
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include "cli_support.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class LimitsCliTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("quorvane_limits_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // Runs rock with args and expects a refusal (exit 2) whose message has text and no output file.
  void ExpectRefused(std::vector<std::string> args, const std::string& text) const
  {
    args.insert(args.begin(), {"rock", "--out", Path("never.obj")});
    const CommandResult r = RunQuorvane(args);
    ASSERT_TRUE(r.exited) << text;
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_THAT(r.err, HasSubstr(text));
    EXPECT_FALSE(fs::exists(Path("never.obj")));
  }

  fs::path dir;
};

TEST_F(LimitsCliTest, LayerButtonCountsBeyondTheLimitsAreRefusedAtOnce)
{
  ExpectRefused({"--add-layer", "1000"}, "--add-layer 1000: the generator has 1 layer and takes at most 100; add at most 99");
  ExpectRefused({"--remove-layer", "2147483647"},
                "--remove-layer 2147483647: the generator has 1 layer and keeps at least 1; remove at most 0");
  ExpectRefused({"--add-layer", "2", "--remove-layer", "3"}, "--remove-layer 3");
  const CommandResult describe = RunQuorvane({"describe", "oxrock", "--layers", "600"});
  EXPECT_EQ(describe.exitCode, 2);
  EXPECT_THAT(describe.err, HasSubstr("--layers 600: allowed 1 to 100"));
}

TEST_F(LimitsCliTest, SceneValuesOutsideTheDescriptionAreRefusedNamingTheJsonPath)
{
  ASSERT_EQ(RunQuorvane({"rock", "--out", Path("rock.obj"), "--save", Path("scene.json")}).exitCode, 0);
  nlohmann::json scene;
  std::ifstream(Path("scene.json")) >> scene;
  // The generator is the first object; its layer count has ID 3000.
  nlohmann::json& entries = scene["objects"][0]["data"]["entries"];
  std::size_t index = entries.size();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i]["id"] == 3000)
      index = i;
  ASSERT_LT(index, entries.size());
  entries[index]["value"] = 2147483647;
  std::ofstream(Path("huge.json")) << scene.dump();
  ExpectRefused({"--scene", Path("huge.json")}, Path("huge.json") + ": $.objects[0].data.entries[" +
                                                  std::to_string(index) + "]: Layer Count (3000) is 2147483647; allowed 1 to 100");
}

TEST_F(LimitsCliTest, AFailedBuildSaysWhyOnStderr)
{
  // Ten levels of a 288-polygon sphere would need far more memory than any machine here has.
  const CommandResult r =
    RunQuorvane({"rock", "--primitive", "sphere", "--out", Path("never.obj"), "--set", "OXROCK_SUBDIVISIONS=10"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("the generator built no mesh: Subdivide of \"Sphere\" failed: 10 subdivision levels "
                               "of 288 polygons would make 289406976, above the limit of"));
  EXPECT_FALSE(fs::exists(Path("never.obj")));
}

TEST_F(LimitsCliTest, InputThatIsNotARegularFileIsRefusedWithoutBlocking)
{
  ASSERT_EQ(::mkfifo(Path("pipe.obj").c_str(), 0600), 0);
  ExpectRefused({"--input", Path("pipe.obj")}, Path("pipe.obj") + ": is a FIFO; only regular files are read");
  fs::create_directories(Path("folder.obj"));
  ExpectRefused({"--input", Path("folder.obj")}, Path("folder.obj") + ": is a directory");
}

} // namespace
} // namespace qhost::testing
