#include "host/shading/color_space.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace qhost {
namespace {

constexpr Float kEps = 1e-12;

void ExpectNear(const Vector& actual, const Vector& expected, Float eps = kEps)
{
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

TEST(RgbToHsv, PrimariesAndSecondariesSitOnSixthsOfTheHueCircle)
{
  struct Case
  {
    Vector rgb;
    Float hue;
  };
  const Case cases[] = {
      {{1, 0, 0}, 0.0},       {{1, 1, 0}, 1.0 / 6.0}, {{0, 1, 0}, 2.0 / 6.0},
      {{0, 1, 1}, 3.0 / 6.0}, {{0, 0, 1}, 4.0 / 6.0}, {{1, 0, 1}, 5.0 / 6.0},
  };
  for (const Case& c : cases)
  {
    ExpectNear(RgbToHsv(c.rgb), {c.hue, 1.0, 1.0});
    ExpectNear(HsvToRgb({c.hue, 1.0, 1.0}), c.rgb);
    ExpectNear(RgbToHsv(c.rgb * 0.5), {c.hue, 1.0, 0.5});
  }
}

TEST(RgbToHsv, NothingAboveZeroIsBlack)
{
  for (const Vector& rgb : {Vector(0, 0, 0), Vector(-1, -2, -0.5), Vector(0, -1, -1), Vector(-0.0, 0, 0)})
    EXPECT_EQ(RgbToHsv(rgb), Vector()) << rgb.x << " " << rgb.y << " " << rgb.z;
}

TEST(RgbToHsv, NearGreyGivesTheSmallestComponentAsValue)
{
  EXPECT_EQ(RgbToHsv({0.5, 0.5, 0.5}), Vector(0.0, 0.0, 0.5));
  EXPECT_EQ(RgbToHsv({0.5, 0.5004, 0.5}), Vector(0.0, 0.0, 0.5));
  EXPECT_EQ(RgbToHsv({0.3, 0.3001, 0.2999}), Vector(0.0, 0.0, 0.2999));
  EXPECT_EQ(RgbToHsv({4.0, 4.002, 4.001}), Vector(0.0, 0.0, 4.0));
  // Just above the threshold the colour keeps its hue and its brightest value.
  const Vector tinted = RgbToHsv({1.0, 0.998, 0.998});
  EXPECT_NEAR(tinted.y, 0.002, kEps);
  EXPECT_EQ(tinted.z, 1.0);
  EXPECT_EQ(tinted.x, 0.0);
}

TEST(RgbToHsv, ValueIsNotClampedAboveOne)
{
  const Vector hsv = RgbToHsv({2.0, 1.0, 0.5});
  EXPECT_EQ(hsv.z, 2.0);
  EXPECT_NEAR(hsv.y, 0.75, kEps);
  ExpectNear(HsvToRgb(hsv), {2.0, 1.0, 0.5});
}

TEST(RgbToHsv, ColoursInTheUnitCubeMapIntoTheUnitCube)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<Float> unit(0.0, 1.0);
  for (int i = 0; i < 10000; ++i)
  {
    const Vector hsv = RgbToHsv({unit(rng), unit(rng), unit(rng)});
    EXPECT_GE(hsv.x, 0.0);
    EXPECT_LT(hsv.x, 1.0);
    EXPECT_GE(hsv.y, 0.0);
    EXPECT_LE(hsv.y, 1.0);
    EXPECT_GE(hsv.z, 0.0);
    EXPECT_LE(hsv.z, 1.0);
  }
}

TEST(HsvToRgb, LowSaturationGivesTheGreyOfTheValue)
{
  EXPECT_EQ(HsvToRgb({0.7, 0.0, 0.4}), Vector(0.4));
  EXPECT_EQ(HsvToRgb({0.7, 0.0009, 0.4}), Vector(0.4));
  EXPECT_EQ(HsvToRgb({0.2, -1.0, 3.0}), Vector(3.0));
  EXPECT_NE(HsvToRgb({0.7, 0.001, 0.4}), Vector(0.4));
}

TEST(HsvToRgb, HueWrapsAroundTheCircle)
{
  ExpectNear(HsvToRgb({1.0, 0.6, 0.8}), HsvToRgb({0.0, 0.6, 0.8}));
  ExpectNear(HsvToRgb({1.25, 0.6, 0.8}), HsvToRgb({0.25, 0.6, 0.8}));
  ExpectNear(HsvToRgb({-0.25, 0.6, 0.8}), HsvToRgb({0.75, 0.6, 0.8}));
  ExpectNear(HsvToRgb({std::nextafter(1.0, 0.0), 0.6, 0.8}), HsvToRgb({0.0, 0.6, 0.8}), 1e-9);
  const Vector fromNan = HsvToRgb({std::nan(""), 0.6, 0.8});
  ExpectNear(fromNan, HsvToRgb({0.0, 0.6, 0.8}));
}

TEST(ColorSpaceRoundTrip, RgbSurvivesHsvAndBack)
{
  std::mt19937 rng(5);
  std::uniform_real_distribution<Float> unit(0.0, 1.0);
  int checked = 0;
  for (int i = 0; i < 10000; ++i)
  {
    const Vector rgb(unit(rng) * 3.0, unit(rng) * 3.0, unit(rng) * 3.0);
    if (RgbToHsv(rgb).y < 0.01)
      continue;
    ++checked;
    ExpectNear(HsvToRgb(RgbToHsv(rgb)), rgb, 1e-12);
  }
  EXPECT_GT(checked, 9000);
}

TEST(ColorSpaceRoundTrip, HsvSurvivesRgbAndBack)
{
  std::mt19937 rng(9);
  std::uniform_real_distribution<Float> unit(0.0, 1.0);
  for (int i = 0; i < 10000; ++i)
  {
    const Vector hsv(unit(rng), 0.01 + 0.99 * unit(rng), 0.01 + unit(rng));
    const Vector back = RgbToHsv(HsvToRgb(hsv));
    // Hues compare on the circle.
    const Float hueGap = std::abs(back.x - hsv.x);
    EXPECT_LT(std::min(hueGap, 1.0 - hueGap), 1e-9);
    EXPECT_NEAR(back.y, hsv.y, 1e-9);
    EXPECT_NEAR(back.z, hsv.z, 1e-12);
  }
}

TEST(ColorSpaceRoundTrip, NearGreyComesBackAsItsDarkestComponent)
{
  EXPECT_EQ(HsvToRgb(RgbToHsv({0.5, 0.5004, 0.5002})), Vector(0.5));
}

} // namespace
} // namespace qhost
