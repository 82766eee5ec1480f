// The working folder: names from the network stay inside it, whatever way
// they try to lead out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/core/input_error.h"
#include "host/serve/workdir.h"

namespace qhost {
namespace {

namespace fs = std::filesystem;

class WorkdirTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    base_ = fs::temp_directory_path() / ("qv-workdir-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base_);
    fs::create_directories(base_ / "work" / "sub");
    fs::create_directories(base_ / "outside");
    std::ofstream(base_ / "outside" / "secret.json") << "{}";
    std::ofstream(base_ / "work" / "a.json") << "{}";
    std::ofstream(base_ / "work" / "sub" / "b.json") << "{}";
    std::ofstream(base_ / "work" / "notes.txt") << "x";
  }
  void TearDown() override { fs::remove_all(base_); }

  fs::path base_;
};

TEST_F(WorkdirTest, NamesInsideResolveBelowTheRoot)
{
  const Workdir workdir(base_ / "work");
  EXPECT_EQ(workdir.Resolve("a.json"), fs::canonical(base_ / "work" / "a.json"));
  EXPECT_EQ(workdir.Resolve("sub/b.json"), fs::canonical(base_ / "work" / "sub" / "b.json"));
  // A file to be written need not exist yet.
  EXPECT_EQ(workdir.Resolve("sub/new.json"), fs::canonical(base_ / "work" / "sub") / "new.json");
  // "." parts are harmless.
  EXPECT_EQ(workdir.Resolve("./sub/./b.json"), fs::canonical(base_ / "work" / "sub" / "b.json"));
}

TEST_F(WorkdirTest, EscapesAreRefusedWithTheNameInTheMessage)
{
  const Workdir workdir(base_ / "work");
  const std::string absolute = (base_ / "outside" / "secret.json").string();
  for (const std::string& name : {std::string("../outside/secret.json"), std::string("sub/../../outside/secret.json"),
                                  std::string("sub/../a.json"), absolute, std::string(""), std::string(".")})
  {
    try
    {
      (void)workdir.Resolve(name);
      ADD_FAILURE() << "accepted \"" << name << "\"";
    }
    catch (const InputError& e)
    {
      EXPECT_NE(std::string(e.what()).find('"' + name + '"'), std::string::npos) << e.what();
    }
  }
}

TEST_F(WorkdirTest, NamesWithANulCharacterAreRefused)
{
  const Workdir workdir(base_ / "work");
  EXPECT_THROW((void)workdir.Resolve(std::string("a.json") + '\0' + "/../../outside/secret.json"), InputError);
}

TEST_F(WorkdirTest, SymbolicLinksOutOfTheFolderAreRefused)
{
  fs::create_symlink(base_ / "outside" / "secret.json", base_ / "work" / "link.json");
  fs::create_directory_symlink(base_ / "outside", base_ / "work" / "linked");
  // A dangling link would let a save create a file outside.
  fs::create_symlink(base_ / "outside" / "new.json", base_ / "work" / "dangling.json");
  fs::create_symlink(base_ / "work" / "a.json", base_ / "work" / "inner.json");
  const Workdir workdir(base_ / "work");
  EXPECT_THROW((void)workdir.Resolve("link.json"), InputError);
  EXPECT_THROW((void)workdir.Resolve("linked/secret.json"), InputError);
  EXPECT_THROW((void)workdir.Resolve("linked/new.json"), InputError);
  EXPECT_THROW((void)workdir.Resolve("dangling.json"), InputError);
  // A link that stays inside is an ordinary name.
  EXPECT_EQ(workdir.Resolve("inner.json"), fs::canonical(base_ / "work" / "a.json"));
}

TEST_F(WorkdirTest, ListShowsSceneFilesButNoLinks)
{
  fs::create_symlink(base_ / "outside" / "secret.json", base_ / "work" / "link.json");
  fs::create_directory_symlink(base_ / "outside", base_ / "work" / "linked");
  const Workdir workdir(base_ / "work");
  EXPECT_EQ(workdir.List(".json", 100), (std::vector<std::string>{"a.json", "sub/b.json"}));
  EXPECT_EQ(workdir.List(".json", 1).size(), 1u);
}

TEST_F(WorkdirTest, TheRootMustBeAnExistingFolder)
{
  EXPECT_THROW(Workdir(base_ / "missing"), InputError);
  EXPECT_THROW(Workdir(base_ / "work" / "a.json"), InputError);
}

} // namespace
} // namespace qhost
