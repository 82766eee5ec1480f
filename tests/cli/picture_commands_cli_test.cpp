// `quorvane texture`, `noise-gallery` and `describe` end to end.
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli_support.h"
#include "host/io/png_image.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name)
{
  return (fs::temp_directory_path() / ("quorvane_pictures_" + std::to_string(::getpid()) + "_" + name)).string();
}

Image ReadBack(const std::string& path)
{
  Image image;
  EXPECT_NO_THROW(image = ReadPng(path));
  return image;
}

TEST(PictureCommandsCliTest, TextureBakesColourAndHeightMaps)
{
  const std::string colour = TempPath("colour.png");
  const CommandResult c = RunQuorvane({"texture", "--out", colour, "--size", "64", "--threads", "2"});
  ASSERT_EQ(c.exitCode, 0) << c.err;
  const Image a = ReadBack(colour);
  EXPECT_EQ(a.width, 64);
  EXPECT_EQ(a.bitDepth, 8);

  const std::string height = TempPath("height.png");
  const CommandResult h =
      RunQuorvane({"texture", "--out", height, "--size", "32", "--mode", "height", "--set", "XQUORVANE_CELL_SCALE=6"});
  ASSERT_EQ(h.exitCode, 0) << h.err;
  EXPECT_EQ(ReadBack(height).bitDepth, 16);
  fs::remove(colour);
  fs::remove(height);
}

TEST(PictureCommandsCliTest, TextureRejectsBadSettingsWithoutWriting)
{
  const std::string out = TempPath("never.png");
  for (const std::vector<std::string>& extra : {std::vector<std::string>{"--set", "XQUORVANE_NOPE=1"},
                                                {"--set", "XQUORVANE_CELL_SCALE=big"},
                                                {"--mode", "sideways"}})
  {
    std::vector<std::string> args = {"texture", "--out", out, "--size", "16"};
    args.insert(args.end(), extra.begin(), extra.end());
    const CommandResult r = RunQuorvane(args);
    EXPECT_EQ(r.exitCode, 2) << extra[1];
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST(PictureCommandsCliTest, NoiseGalleryHasATilePerType)
{
  const std::string out = TempPath("gallery.png");
  const CommandResult r = RunQuorvane({"noise-gallery", "--out", out, "--tile", "32"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Image gallery = ReadBack(out);
  // 35 tiles (33 host types and the generator's two) in rows of 6, cells
  // widened to the longest label.
  EXPECT_GT(gallery.width, 6 * (32 + 8) + 8);
  EXPECT_EQ(gallery.height, 6 * (32 + 22 + 8) + 8);
  fs::remove(out);
}

TEST(PictureCommandsCliTest, DescribeShowsLayersAppearAndGreyOut)
{
  const CommandResult one = RunQuorvane({"describe", "oxrock"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_NE(one.out.find("Noise Layer"), std::string::npos);
  EXPECT_NE(one.out.find("Electric"), std::string::npos);
  const CommandResult three = RunQuorvane({"describe", "oxrock", "--layers", "3"});
  ASSERT_EQ(three.exitCode, 0) << three.err;
  EXPECT_EQ(LinesContaining(three.out, "[Noise Layer] group").size(), 3u);
  const CommandResult shader = RunQuorvane({"describe", "XQuorvane"});
  ASSERT_EQ(shader.exitCode, 0) << shader.err;
  EXPECT_NE(shader.out.find("Cell Scale"), std::string::npos);
  EXPECT_EQ(RunQuorvane({"describe", "nothing"}).exitCode, 2);
}

TEST(PictureCommandsCliTest, DescribeShowsIdentifiersUnitsAndChoices)
{
  const CommandResult r = RunQuorvane({"describe", "oxrock", "--layers", "2", "--choices"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesContaining(r.out, " OXROCK_SEED ").size(), 1u) << r.out;
  // Layer parameters get the identifiers --set takes, in every layer.
  EXPECT_EQ(LinesContaining(r.out, " OXROCK_LAYER_STRENGTH ").size(), 2u) << r.out;
  EXPECT_EQ(LinesContaining(r.out, " OXROCK_LAYER_USE_LAYER ").size(), 2u) << r.out;
  // Each choice list once, with values and labels.
  EXPECT_EQ(LinesContaining(r.out, "Choices of").size(), 3u) << r.out;
  EXPECT_EQ(LinesContaining(r.out, "OXROCK_LAYER_NOISE_TYPE (Noise Type):").size(), 1u) << r.out;
  EXPECT_EQ(LinesContaining(r.out, "  1  Subtract").size(), 1u) << r.out;
  EXPECT_TRUE(LinesContaining(r.out, "[console]").empty()) << "console lines only with -v";
}

} // namespace
} // namespace qhost::testing
