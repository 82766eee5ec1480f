#include "host/io/png_image.h"

#include <cmath>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <zlib.h>

#include "host/io/atomic_file.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using testing::ScratchFolder;
using ::testing::ThrowsMessage;
using ::testing::HasSubstr;

Image RandomImage(Int32 width, Int32 height, Int32 channels, Int32 bitDepth, unsigned seed)
{
  Image image = MakeImage(width, height, channels, bitDepth);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> sample(0, bitDepth == 16 ? 65535 : 255);
  for (std::uint16_t& s : image.samples)
    s = static_cast<std::uint16_t>(sample(random));
  return image;
}

void ExpectSameImage(const Image& a, const Image& b)
{
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.channels, b.channels);
  EXPECT_EQ(a.bitDepth, b.bitDepth);
  EXPECT_EQ(a.samples, b.samples);
}

TEST(PngImageTest, RoundTripsEveryChannelAndDepthCombination)
{
  ScratchFolder folder;
  unsigned seed = 1;
  for (Int32 channels : {3, 4})
    for (Int32 bitDepth : {8, 16})
    {
      SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(bitDepth) + " bits");
      const Image written = RandomImage(37, 11, channels, bitDepth, seed++);
      const std::string path = folder.File("image.png");
      WritePng(path, written);
      Image read;
      ASSERT_NO_THROW(read = ReadPng(path));
      ExpectSameImage(read, written);
    }
}

TEST(PngImageTest, EncodingIsDeterministicAndStartsWithSignature)
{
  const Image image = RandomImage(8, 8, 3, 8, 7);
  const std::vector<std::uint8_t> first = EncodePng(image);
  ASSERT_GE(first.size(), 8u);
  const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(signature, signature + 8, first.begin()));
  EXPECT_EQ(EncodePng(image), first);
}

TEST(PngImageTest, InvalidImagesAreNotEncoded)
{
  Image wrongCount = RandomImage(4, 4, 3, 8, 3);
  wrongCount.samples.pop_back();
  Image tooBright = RandomImage(4, 4, 3, 8, 3);
  tooBright.samples[5] = 256;
  Image twoChannels = RandomImage(4, 4, 3, 8, 3);
  twoChannels.channels = 2;
  ScratchFolder folder;
  for (const Image* image : {&wrongCount, &tooBright, &twoChannels})
  {
    EXPECT_TRUE(EncodePng(*image).empty());
    EXPECT_THROW(WritePng(folder.File("bad.png"), *image), OutputError);
    EXPECT_FALSE(std::filesystem::exists(folder.File("bad.png")));
  }
}

TEST(PngImageTest, RefusesAbsurdSizesBeforeAllocating)
{
  EXPECT_THAT([] { MakeImage(kMaxImageSide + 1, 1, 3, 8); },
              ThrowsMessage<std::runtime_error>(HasSubstr("outside the supported range")));
  EXPECT_THAT([] { MakeImage(30000, 30000, 4, 16); },
              ThrowsMessage<std::runtime_error>(HasSubstr("outside the supported range")));
  EXPECT_THAT([] { MakeImage(0, 5, 3, 8); }, ThrowsMessage<std::runtime_error>(HasSubstr("outside the supported range")));
  EXPECT_THAT([] { MakeImage(5, 5, 3, 12); }, ThrowsMessage<std::runtime_error>(HasSubstr("bit depth 12")));
  EXPECT_THAT([] { MakeImage(5, 5, 2, 8); }, ThrowsMessage<std::runtime_error>(HasSubstr("2 channels")));
}

TEST(PngImageTest, RejectsHeaderClaimingTooManyPixels)
{
  std::vector<std::uint8_t> png = EncodePng(RandomImage(2, 2, 3, 8, 5));
  // IHDR data sits at bytes 16..28, its CRC right after; claim 30000 x 30000.
  for (int field : {16, 20})
  {
    png[field] = 0;
    png[field + 1] = 0;
    png[field + 2] = 30000 >> 8;
    png[field + 3] = 30000 & 0xFF;
  }
  const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  ScratchFolder folder;
  WriteFileAtomically(folder.File("huge.png"), png);
  EXPECT_THAT([&] { ReadPng(folder.File("huge.png")); },
              ::testing::ThrowsMessage<InputError>(::testing::HasSubstr("outside the supported range")));
}

TEST(PngImageTest, BrokenFilesFailWithTheFileName)
{
  ScratchFolder folder;
  std::vector<std::uint8_t> png = EncodePng(RandomImage(64, 64, 4, 16, 9));
  png.resize(png.size() / 2);
  WriteFileAtomically(folder.File("cut.png"), png);
  testing::WriteText(folder.File("text.png"), "not an image at all");
  for (const std::string name : {"cut.png", "text.png", "absent.png"})
    EXPECT_THAT([&] { ReadPng(folder.File(name)); },
                ::testing::ThrowsMessage<InputError>(::testing::HasSubstr(folder.File(name) + ": ")));
}

TEST(ColorEncodingTest, SrgbCurveEndpointsMidpointAndClamping)
{
  EXPECT_EQ(LinearToSrgb8(0.0), 0);
  EXPECT_EQ(LinearToSrgb8(1.0), 255);
  EXPECT_EQ(LinearToSrgb8(0.5), 188); // 0.7354 of full scale
  EXPECT_EQ(LinearToSrgb8(0.001), 3); // linear toe: 0.001 * 12.92 * 255 = 3.3
  EXPECT_EQ(LinearToSrgb8(-3.0), 0);
  EXPECT_EQ(LinearToSrgb8(7.0), 255);
  EXPECT_EQ(LinearToSrgb8(std::numeric_limits<Float>::quiet_NaN()), 0);
  EXPECT_EQ(LinearToSrgb16(1.0), 65535);
  EXPECT_EQ(LinearToSrgb16(0.5), 48192);
  EXPECT_EQ(LinearToUnorm16(0.5), 32768);
  EXPECT_EQ(LinearToUnorm16(2.0), 65535);
  EXPECT_EQ(LinearToUnorm16(std::numeric_limits<Float>::quiet_NaN()), 0);
}

TEST(ColorEncodingTest, SrgbEncodingIsMonotonic)
{
  int previous8 = 0;
  int previous16 = 0;
  for (int i = 0; i <= 4096; ++i)
  {
    const Float linear = i / 4096.0;
    EXPECT_GE(LinearToSrgb8(linear), previous8);
    EXPECT_GT(LinearToSrgb16(linear) + (i == 0), previous16);
    previous8 = LinearToSrgb8(linear);
    previous16 = LinearToSrgb16(linear);
  }
}

} // namespace
} // namespace qhost
