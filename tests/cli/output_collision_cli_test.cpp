// Two outputs of one run that name the same file would leave only the one
// written last, and the run would report both written: every command refuses
// them before any work, naming both options, and the file stays as it was.
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "cli_support.h"

namespace qhost::testing {
namespace {

TEST(OutputCollisionCliTest, TwoOutputsNamingOneFileAreRefusedAndTheFileKept)
{
  TestFolder folder;
  const std::string target = folder.Path("out.glb");
  const std::string png = folder.Path("out.png");
  struct Case
  {
    std::vector<std::string> args;
    std::string first, second; // the options the message names
  };
  const std::vector<Case> cases = {
    {{"rock", "--out", target, "--preview", target}, "--preview", "--out"},
    {{"rock", "--out", target, "--save", folder.Path("./out.glb")}, "--save", "--out"},
    {{"texture", "--out", png, "--save", png}, "--save", "--out"},
    {{"asset", "--out", target, "--compare", target, "--map-size", "16"}, "--compare", "--out"},
    {{"asset", "--out", target, "--maps-out", "--compare", folder.Path("out_orm.png"), "--map-size", "16"},
     "--compare",
     "--maps-out"},
  };
  for (const Case& c : cases)
  {
    for (const std::string& path : {target, png})
      std::ofstream(path) << "kept";
    const CommandResult r = RunQuorvane(c.args);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 2) << c.args[0] << " " << c.first << ": " << r.err;
    EXPECT_NE(r.err.find(c.first), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("same file as " + c.second), std::string::npos) << r.err;
    for (const std::string& path : {target, png})
    {
      std::ifstream file(path);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "kept") << c.args[0] << " " << c.first;
    }
  }
}

} // namespace
} // namespace qhost::testing
