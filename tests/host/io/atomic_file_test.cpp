#include "host/io/atomic_file.h"
#include "host/core/read_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io_test_support.h"

namespace qhost {
namespace {

using testing::ReadText;
using testing::ScratchFolder;
using testing::WriteText;

std::size_t EntryCount(const std::string& folder)
{
  return static_cast<std::size_t>(
    std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(AtomicFileTest, WritesExactBytesIncludingZeros)
{
  ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = {0, 1, 2, 255, 0, 10, 13};
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(folder.File("out.bin"), bytes, error)) << error;
  EXPECT_EQ(ReadFileBytes(folder.File("out.bin"), 1024), bytes);
  EXPECT_EQ(EntryCount(folder.Path()), 1u) << "temporary file left behind";
}

TEST(AtomicFileTest, ReplacesExistingFileWithReadablePermissions)
{
  ScratchFolder folder;
  const std::string path = folder.File("out.txt");
  WriteText(path, "old content that is longer than the new one");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new"), error)) << error;
  EXPECT_EQ(ReadText(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(AtomicFileTest, MissingFolderFailsWithoutCreatingAnything)
{
  ScratchFolder folder;
  const std::string path = folder.File("missing/out.txt");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(path, std::string("x"), error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_EQ(EntryCount(folder.Path()), 0u);
}

TEST(AtomicFileTest, FailedRenameRemovesTemporaryAndKeepsTarget)
{
  ScratchFolder folder;
  // A non-empty folder cannot be replaced by a file, so the final step fails.
  const std::string target = folder.File("target");
  std::filesystem::create_directory(target);
  WriteText(target + "/kept.txt", "kept");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(target, std::string("new"), error));
  EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_EQ(ReadText(target + "/kept.txt"), "kept");
  EXPECT_EQ(EntryCount(folder.Path()), 1u) << "temporary file left behind";
}

TEST(AtomicFileTest, ReadOnlyFolderKeepsOldFile)
{
  if (::geteuid() == 0)
    GTEST_SKIP() << "root ignores folder permissions";
  ScratchFolder folder;
  const std::string path = folder.File("out.txt");
  WriteText(path, "old");
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(path, std::string("new"), error));
  EXPECT_EQ(ReadText(path), "old");
}

TEST(AtomicFileTest, RejectsFolderPaths)
{
  std::string error;
  EXPECT_FALSE(WriteFileAtomically("/tmp/", std::string("x"), error));
  EXPECT_FALSE(WriteFileAtomically("", std::string("x"), error));
}

} // namespace
} // namespace qhost
