#include "host/app/output_check.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/app/app_context.h"
#include "host/io/io_test_support.h"

namespace qhost::app {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using qhost::testing::ScratchFolder;
using qhost::testing::WriteText;

TEST(OutputPathCheck, RefusesWhatCannotBeWrittenNamingTheOption)
{
  ScratchFolder folder;
  std::filesystem::create_directory(folder.File("made"));
  EXPECT_NO_THROW(CheckOutputPath(folder.File("rock.obj"), "--out"));
  EXPECT_NO_THROW(CheckOutputPath(folder.File("made/rock.obj"), "--out"));
  EXPECT_THAT([&] { CheckOutputPath(folder.File("made"), "--preview"); },
              ThrowsMessage<UsageError>(HasSubstr("--preview " + folder.File("made") + ": is a folder")));
  EXPECT_THAT([&] { CheckOutputPath(folder.File("absent/rock.obj"), "--save"); },
              ThrowsMessage<UsageError>(HasSubstr("--save " + folder.File("absent/rock.obj") + ": folder")));
  EXPECT_THAT([] { CheckOutputPath("", "--out"); }, ThrowsMessage<UsageError>(HasSubstr("no file name")));
}

TEST(DistinctOutputs, OneFileNamedTwiceIsRefusedHoweverItIsSpelled)
{
  ScratchFolder folder;
  std::filesystem::create_directory(folder.File("sub"));
  std::filesystem::create_directory_symlink(folder.File("sub"), folder.File("alias"));
  const std::string plain = folder.File("sub/rock.glb");
  for (const std::string& other :
       {plain, folder.File("sub/../sub/rock.glb"), folder.File("sub/./rock.glb"), folder.File("alias/rock.glb")})
    EXPECT_THAT([&] { CheckDistinctOutputs({{"--out", plain}, {"--preview", other}}); },
                ThrowsMessage<UsageError>(HasSubstr("--preview " + other + ": is the same file as --out " + plain)))
      << other;
  // An existing file counts the same as one still to be made.
  WriteText(plain, "old");
  EXPECT_THROW(CheckDistinctOutputs({{"--out", plain}, {"--save", folder.File("alias/rock.glb")}}), UsageError);
}

TEST(DistinctOutputs, OutputsNotAskedForAndDifferentFilesPass)
{
  ScratchFolder folder;
  EXPECT_NO_THROW(CheckDistinctOutputs({{"--out", folder.File("a.obj")},
                                        {"--preview", ""},
                                        {"--save", ""},
                                        {"--texture-mode height", folder.File("a_height.png")}}));
  EXPECT_NO_THROW(CheckDistinctOutputs({{"--out", folder.File("a.obj")}, {"--preview", folder.File("A.obj")}}));
}

} // namespace
} // namespace qhost::app
