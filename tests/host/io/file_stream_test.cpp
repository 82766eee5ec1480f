// The staged file stream: whatever the sizes of the appends, and whether the
// file went to the disk directly or through the page cache, the file holds
// exactly the bytes appended.
#include "host/io/file_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "host/core/read_file.h"
#include "io_test_support.h"

namespace qhost {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed)
{
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = seed;
  for (std::uint8_t& b : bytes)
  {
    state = state * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

TEST(FileStreamTest, FileHoldsExactlyTheAppendedBytesAtEveryBoundary)
{
  testing::ScratchFolder folder;
  constexpr std::size_t kStaging = 8u << 20;
  // Empty, smaller than a block, the staging buffer exactly and around it,
  // and several buffers with a tail that is not a whole block.
  for (const std::size_t total : {std::size_t{0}, std::size_t{100}, kStaging - 1, kStaging, kStaging + 1,
                                  3 * kStaging + 4096 + 17})
    for (const std::size_t piece : {std::size_t{1000003}, std::size_t{5u << 20}})
    {
      const std::vector<std::uint8_t> expected = Pattern(total, static_cast<std::uint32_t>(total + piece));
      const std::string path = folder.File("stream" + std::to_string(total) + "_" + std::to_string(piece));
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      ASSERT_GE(fd, 0);
      {
        FileStream stream(fd);
        for (std::size_t offset = 0; offset < total; offset += piece)
          ASSERT_TRUE(stream.Append(std::span(expected).subspan(offset, std::min(piece, total - offset))));
        ASSERT_TRUE(stream.Finish());
      }
      // The descriptor is left as it was opened, so the caller's flush and
      // any later plain write behave as usual.
      EXPECT_EQ(::fcntl(fd, F_GETFL) & O_DIRECT, 0);
      ::close(fd);
      EXPECT_TRUE(ReadFileBytes(path, 1u << 30) == expected) << total << " bytes in pieces of " << piece;
    }
}

} // namespace
} // namespace qhost
