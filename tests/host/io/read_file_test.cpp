#include "host/core/read_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/core/input_error.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using testing::ScratchFolder;
using testing::WriteText;

TEST(ReadFileBytesTest, ReadsWholeFilesUpToTheLimit)
{
  ScratchFolder folder;
  WriteText(folder.File("big.txt"), std::string(100, 'x'));
  EXPECT_EQ(ReadFileBytes(folder.File("big.txt"), 100), std::vector<std::uint8_t>(100, 'x'));
  EXPECT_THAT([&] { ReadFileBytes(folder.File("big.txt"), 99); },
              ThrowsMessage<InputError>(HasSubstr("larger than the limit of 99 bytes")));
}

TEST(ReadFileBytesTest, RefusesWhatIsNotARegularFileByKind)
{
  ScratchFolder folder;
  EXPECT_THAT([&] { ReadFileBytes(folder.File("absent.txt"), 100); },
              ThrowsMessage<InputError>(HasSubstr("absent.txt: cannot open: No such file")));
  EXPECT_THAT([&] { ReadFileBytes(folder.Path(), 100); }, ThrowsMessage<InputError>(HasSubstr("is a directory")));
  EXPECT_THAT([&] { ReadFileBytes("/dev/zero", 100); }, ThrowsMessage<InputError>(HasSubstr("is a device")));
  // A FIFO without a writer would block a plain open forever.
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  EXPECT_THAT([&] { ReadFileBytes(folder.File("pipe"), 100); }, ThrowsMessage<InputError>(HasSubstr("is a FIFO")));
}

} // namespace
} // namespace qhost
