// The noise gallery's layout: every label's ink box, measured with the font
// it is drawn in, stays clear of every other label and inside the picture.
#include <gtest/gtest.h>

#include "host/gallery/noise_tiles.h"

namespace qhost {
namespace {

bool Overlap(const GalleryLabel& a, const GalleryLabel& b)
{
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

class GalleryLayoutTest : public ::testing::TestWithParam<Int32>
{
};

TEST_P(GalleryLayoutTest, LabelsNeverOverlapAndStayInThePicture)
{
  const GalleryLayout layout = LayoutNoiseGallery(GetParam());
  ASSERT_EQ(layout.labels.size(), NoiseTileEntries().size());
  for (size_t i = 0; i < layout.labels.size(); ++i)
  {
    const GalleryLabel& label = layout.labels[i];
    EXPECT_GT(label.width, 0.0) << label.text;
    EXPECT_GE(label.x, 0.0) << label.text;
    EXPECT_GE(label.y, 0.0) << label.text;
    EXPECT_LE(label.x + label.width, layout.width) << label.text;
    EXPECT_LE(label.y + label.height, layout.height) << label.text;
    for (size_t j = i + 1; j < layout.labels.size(); ++j)
      EXPECT_FALSE(Overlap(label, layout.labels[j])) << label.text << " and " << layout.labels[j].text;
  }
}

INSTANTIATE_TEST_SUITE_P(TileSizes, GalleryLayoutTest, ::testing::Values(16, 32, 128, 512));

} // namespace
} // namespace qhost
