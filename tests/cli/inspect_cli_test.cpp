// `quorvane inspect` end to end on meshes the application writes.
#include <filesystem>
#include <fstream>
#include <utility>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli_support.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

class InspectCliTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("quorvane_inspect_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  fs::path dir;
};

TEST_F(InspectCliTest, DefaultRockInEveryFormatIsClosedAndClean)
{
  // glTF stores triangles, so its 1536 quads come back as 3072 faces.
  const std::pair<std::string, std::string> cases[] = {
      {"rock.glb", "faces: 3072"}, {"rock.obj", "faces: 1536"}, {"rock.ply", "faces: 1536"}};
  for (const auto& [name, faces] : cases)
  {
    ASSERT_EQ(RunQuorvane({"rock", "--out", Path(name)}).exitCode, 0) << name;
    const CommandResult result = RunQuorvane({"inspect", "--strict", Path(name)});
    EXPECT_EQ(result.exitCode, 0) << name << "\n" << result.out << result.err;
    EXPECT_EQ(LinesContaining(result.out, "closed: yes").size(), 1u) << name << "\n" << result.out;
    EXPECT_EQ(LinesContaining(result.out, "defects: none").size(), 1u) << name << "\n" << result.out;
    EXPECT_EQ(LinesContaining(result.out, faces).size(), 1u) << name << "\n" << result.out;
    EXPECT_EQ(LinesContaining(result.out, "(1538 distinct positions)").size(), 1u) << name << "\n" << result.out;
  }
}

TEST_F(InspectCliTest, StrictFailsOnAHoleAndNamesIt)
{
  // A cube with its top face missing.
  std::ofstream(Path("open.obj")) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
                                     "f 1 4 3 2\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
  const CommandResult lenient = RunQuorvane({"inspect", Path("open.obj")});
  EXPECT_EQ(lenient.exitCode, 0) << lenient.err;
  EXPECT_EQ(LinesContaining(lenient.out, "boundary edges: 4").size(), 1u) << lenient.out;
  EXPECT_EQ(LinesContaining(lenient.out, "defects: boundary edges").size(), 1u) << lenient.out;

  const CommandResult strict = RunQuorvane({"inspect", "--strict", Path("open.obj")});
  EXPECT_EQ(strict.exitCode, 3) << strict.err;
}

TEST_F(InspectCliTest, UnreadableFileIsAnInputErrorNamingIt)
{
  const CommandResult missing = RunQuorvane({"inspect", Path("missing.obj")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("missing.obj"), std::string::npos) << missing.err;

  std::ofstream(Path("broken.ply")) << "ply\nformat ascii 1.0\nelement vertex 2\n";
  const CommandResult broken = RunQuorvane({"inspect", Path("broken.ply")});
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_NE(broken.err.find("broken.ply"), std::string::npos) << broken.err;
}

} // namespace
} // namespace qhost::testing
