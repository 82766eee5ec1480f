#include "host/app/contact_sheet.h"

#include <gtest/gtest.h>

#include "host/io/mesh_file.h"
#include "host/io/io_test_support.h"

namespace qhost::app {
namespace {

using qhost::testing::ScratchFolder;

// Pixels of the strip below a tile that are clearly darker than its background.
int InkPixels(const Image& sheet, Int32 left, Int32 top, Int32 width, Int32 height)
{
  int ink = 0;
  for (Int32 y = top; y < top + height; ++y)
    for (Int32 x = left; x < left + width; ++x)
      ink += sheet.At(x, y, 0) < 160;
  return ink;
}

TEST(ContactSheet, EachTileHasItsOwnLabelBelowItAndEmptyCellsStayBlank)
{
  ScratchFolder folder;
  const std::string cube = folder.File("cube.obj");
  WriteMesh(cube, qhost::testing::QuadCube(), qhost::testing::FlatCornerNormals(qhost::testing::QuadCube()),
            qhost::testing::HostFrameOptions());
  const Image one = MakeContactSheet({{cube, "seed 1"}, {cube, "seed 1"}, {cube, "seed 1"}},
                                     qhost::testing::kHostFrame);
  const Image other = MakeContactSheet({{cube, "seed 1"}, {cube, "seed 22222"}, {cube, "seed 1"}},
                                       qhost::testing::kHostFrame);
  // Three tiles of 160 x 120 in two columns, each with an 18-pixel strip.
  ASSERT_EQ(one.width, 320);
  ASSERT_EQ(one.height, 2 * 138);
  EXPECT_GT(InkPixels(one, 0, 120, 160, 18), 20) << "the first label is drawn";
  EXPECT_EQ(InkPixels(one, 160, 138, 160, 138), 0) << "the empty cell has no tile and no label";
  // Only the second label differs, and only inside its own strip.
  EXPECT_NE(InkPixels(other, 160, 120, 160, 18), InkPixels(one, 160, 120, 160, 18));
  int differingOutside = 0;
  for (Int32 y = 0; y < one.height; ++y)
    for (Int32 x = 0; x < one.width; ++x)
      differingOutside += !(x >= 160 && y >= 120 && y < 138) && one.At(x, y, 0) != other.At(x, y, 0);
  EXPECT_EQ(differingOutside, 0);
}

TEST(ContactSheet, AFileThatCannotBeReadIsNamed)
{
  ScratchFolder folder;
  try
  {
    MakeContactSheet({{folder.File("missing.obj"), "seed 1"}}, qhost::testing::kHostFrame);
    FAIL() << "no error";
  }
  catch (const std::exception& e)
  {
    EXPECT_NE(std::string(e.what()).find("missing.obj"), std::string::npos) << e.what();
  }
}

} // namespace
} // namespace qhost::app
