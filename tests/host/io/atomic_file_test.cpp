#include "host/io/atomic_file.h"
#include "host/core/read_file.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "io_test_support.h"

namespace qhost {
namespace {

using testing::ReadText;
using testing::ScratchFolder;
using testing::WriteText;
using ::testing::ThrowsMessage;
using ::testing::HasSubstr;

std::size_t EntryCount(const std::string& folder)
{
  return static_cast<std::size_t>(
    std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(AtomicFileTest, WritesExactBytesIncludingZeros)
{
  ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = {0, 1, 2, 255, 0, 10, 13};
  WriteFileAtomically(folder.File("out.bin"), bytes);
  EXPECT_EQ(ReadFileBytes(folder.File("out.bin"), 1024), bytes);
  EXPECT_EQ(EntryCount(folder.Path()), 1u) << "temporary file left behind";
}

// A server writes from several threads at once (a build's mesh while a
// download is written): every file gets its own bytes and no temporary is
// left (the TSan build checks the temporaries' registry).
TEST(AtomicFileTest, ThreadsWritingAtOnceEachGetTheirOwnFile)
{
  ScratchFolder folder;
  constexpr int kThreads = 6, kFiles = 15;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&folder, t] {
      for (int f = 0; f < kFiles; ++f)
      {
        const std::string name = folder.File("t" + std::to_string(t) + "_" + std::to_string(f) + ".bin");
        WriteFileAtomically(name, std::vector<std::uint8_t>(100 + f, std::uint8_t(t)));
      }
    });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(EntryCount(folder.Path()), std::size_t(kThreads * kFiles)) << "temporary file left behind";
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(ReadFileBytes(folder.File("t" + std::to_string(t) + "_3.bin"), 1024),
              std::vector<std::uint8_t>(103, std::uint8_t(t)));
}

mode_t ModeOf(const std::string& path)
{
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(AtomicFileTest, ReplacingKeepsTheExistingFilesPermissions)
{
  ScratchFolder folder;
  const std::string path = folder.File("out.txt");
  WriteText(path, "old content that is longer than the new one");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  WriteFileAtomically(path, std::string("new"));
  EXPECT_EQ(ReadText(path), "new");
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(AtomicFileTest, NewFilesGetTheUsualModeUnderTheUmask)
{
  ScratchFolder folder;
  const mode_t previous = ::umask(022);
  EXPECT_NO_THROW(WriteFileAtomically(folder.File("new.txt"), std::string("x")));
  ::umask(previous);
  EXPECT_EQ(ModeOf(folder.File("new.txt")), 0644u);
}

TEST(AtomicFileTest, ASymbolicLinkIsFollowedAndStaysALink)
{
  ScratchFolder folder;
  WriteText(folder.File("real.txt"), "old");
  std::filesystem::create_symlink(folder.File("real.txt"), folder.File("link.txt"));
  WriteFileAtomically(folder.File("link.txt"), std::string("new"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.txt")));
  EXPECT_EQ(ReadText(folder.File("real.txt")), "new");

  std::filesystem::create_symlink(folder.File("gone.txt"), folder.File("dangling.txt"));
  EXPECT_THAT([&] { WriteFileAtomically(folder.File("dangling.txt"), std::string("x")); },
              ThrowsMessage<OutputError>(HasSubstr("symbolic link to a missing file")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("gone.txt")));
}

TEST(AtomicFileTest, OnlyRegularFilesWithOneNameAreReplaced)
{
  ScratchFolder folder;
  EXPECT_THAT([&] { WriteFileAtomically("/dev/null", std::string("x")); },
              ThrowsMessage<OutputError>(HasSubstr("/dev/null: is a device; only regular files are replaced")));
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  EXPECT_THAT([&] { WriteFileAtomically(folder.File("pipe"), std::string("x")); },
              ThrowsMessage<OutputError>(HasSubstr("is a FIFO")));

  WriteText(folder.File("a.txt"), "shared");
  std::filesystem::create_hard_link(folder.File("a.txt"), folder.File("b.txt"));
  EXPECT_THAT([&] { WriteFileAtomically(folder.File("a.txt"), std::string("x")); },
              ThrowsMessage<OutputError>(HasSubstr("has 2 hard links")));
  EXPECT_EQ(ReadText(folder.File("b.txt")), "shared");
  EXPECT_EQ(EntryCount(folder.Path()), 3u) << "temporary file left behind";
}

TEST(AtomicFileTest, LongFileNamesWork)
{
  ScratchFolder folder;
  const std::string path = folder.File(std::string(250, 'n') + ".obj");
  WriteFileAtomically(path, std::string("x"));
  EXPECT_EQ(ReadText(path), "x");
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(OutputGroupTest, OutputsAppearTogetherOnCommitOrNotAtAll)
{
  ScratchFolder folder;
  WriteText(folder.File("kept.txt"), "old");
  {
    OutputGroup outputs;
    WriteFileAtomically(folder.File("kept.txt"), std::string("new"));
    WriteFileAtomically(folder.File("other.txt"), std::string("other"));
    EXPECT_EQ(ReadText(folder.File("kept.txt")), "old");
    EXPECT_FALSE(std::filesystem::exists(folder.File("other.txt")));
    // Leaving without Commit: a later step of the run failed.
  }
  EXPECT_EQ(ReadText(folder.File("kept.txt")), "old");
  EXPECT_EQ(EntryCount(folder.Path()), 1u) << "temporary file left behind";
  {
    OutputGroup outputs;
    WriteFileAtomically(folder.File("kept.txt"), std::string("new"));
    WriteFileAtomically(folder.File("other.txt"), std::string("other"));
    outputs.Commit();
  }
  EXPECT_EQ(ReadText(folder.File("kept.txt")), "new");
  EXPECT_EQ(ReadText(folder.File("other.txt")), "other");
  EXPECT_EQ(EntryCount(folder.Path()), 2u);
}

TEST(OutputGroupDeathTest, ASignalRemovesTheTemporariesAndSaysSo)
{
  ScratchFolder folder;
  const std::string path = folder.File("out.txt");
  EXPECT_EXIT(
    {
      RemoveTemporariesOnSignal();
      OutputGroup outputs;
      WriteFileAtomically(path, std::string("half"));
      std::raise(SIGTERM);
      std::exit(0);
    },
    ::testing::ExitedWithCode(128 + SIGTERM), "quorvane: terminated; unfinished outputs were removed");
  EXPECT_EQ(EntryCount(folder.Path()), 0u) << "temporary file left behind";
}

TEST(AtomicFileTest, MissingFolderFailsWithoutCreatingAnything)
{
  ScratchFolder folder;
  const std::string path = folder.File("missing/out.txt");
  EXPECT_THAT([&] { WriteFileAtomically(path, std::string("x")); }, ThrowsMessage<OutputError>(HasSubstr(path)));
  EXPECT_EQ(EntryCount(folder.Path()), 0u);
}

TEST(AtomicFileTest, AFolderIsNeverReplaced)
{
  ScratchFolder folder;
  const std::string target = folder.File("target");
  std::filesystem::create_directory(target);
  WriteText(target + "/kept.txt", "kept");
  EXPECT_THAT([&] { WriteFileAtomically(target, std::string("new")); },
              ThrowsMessage<OutputError>(HasSubstr("is a directory; only regular files are replaced")));
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
  EXPECT_THROW(WriteFileAtomically(path, std::string("new")), OutputError);
  EXPECT_EQ(ReadText(path), "old");
}

TEST(AtomicFileTest, RejectsFolderPaths)
{
  EXPECT_THROW(WriteFileAtomically("/tmp/", std::string("x")), OutputError);
  EXPECT_THROW(WriteFileAtomically("", std::string("x")), OutputError);
}

} // namespace
} // namespace qhost
