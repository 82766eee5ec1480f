// Effects of the evaluation arguments: octaves, absolute, time, filter
// width, detail attenuation, repeat and the 2D switch.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "tests/host/noise/noise_samples.h"

namespace qhost {
namespace {

using noise_test::AllTypeNumbers;
using noise_test::Eval;
using noise_test::NoiseArgs;
using noise_test::SamplePoints;

constexpr Int32 kFbm = 8;
constexpr Int32 kPlainNoise = 13;
constexpr Int32 kTurbulence = 21;
constexpr Int32 kVoronoi1 = 27;

// Mean absolute difference of two argument sets over the same points.
Float MeanDifference(const NoiseGenerator& g, Int32 type, const NoiseArgs& a, const NoiseArgs& b)
{
  const auto points = SamplePoints(300, 15.0, 12);
  Float sum = 0.0;
  for (const Vector& p : points)
    sum += std::fabs(Eval(g, type, p, a) - Eval(g, type, p, b));
  return sum / static_cast<Float>(points.size());
}

Float Variance(const NoiseGenerator& g, Int32 type, const NoiseArgs& args)
{
  const auto points = SamplePoints(1000, 15.0, 13);
  Float sum = 0.0, sumSquares = 0.0;
  for (const Vector& p : points)
  {
    const Float v = Eval(g, type, p, args);
    sum += v;
    sumSquares += v * v;
  }
  const Float n = static_cast<Float>(points.size());
  return sumSquares / n - (sum / n) * (sum / n);
}

// Average change over a tiny step: grows with the amount of fine detail.
Float Roughness(const NoiseGenerator& g, Int32 type, const NoiseArgs& args)
{
  const Vector step(1e-3, 0.0, 0.0);
  Float sum = 0.0;
  const auto points = SamplePoints(1000, 15.0, 14);
  for (const Vector& p : points)
    sum += std::fabs(Eval(g, type, p + step, args) - Eval(g, type, p, args));
  return sum / static_cast<Float>(points.size());
}

TEST(NoiseOctaves, AddDetailAndBlendTheLastOneContinuously)
{
  const NoiseGenerator g(4);
  EXPECT_GT(MeanDifference(g, kFbm, {.octaves = 1.0}, {.octaves = 6.0}), 0.01);
  // Octaves add slopes of random sign, so roughness grows like sqrt(count).
  EXPECT_GT(Roughness(g, kFbm, {.octaves = 8.0}), 1.25 * Roughness(g, kFbm, {.octaves = 1.0}));
  // The fractional part fades the last octave in: no jump at whole counts.
  EXPECT_LT(MeanDifference(g, kFbm, {.octaves = 2.999999}, {.octaves = 3.0}), 1e-5);
  EXPECT_LT(MeanDifference(g, kFbm, {.octaves = 3.000001}, {.octaves = 3.0}), 1e-5);
  EXPECT_GT(MeanDifference(g, kFbm, {.octaves = 2.5}, {.octaves = 3.0}), 1e-3);
  // Below one octave and beyond the maximum the count is clamped.
  EXPECT_EQ(MeanDifference(g, kFbm, {.octaves = 0.0}, {.octaves = 1.0}), 0.0);
  EXPECT_EQ(MeanDifference(g, kFbm, {.octaves = 40.0}, {.octaves = kMaxNoiseOctaves}), 0.0);
}

TEST(NoiseOctaves, DoNotChangeSingleScaleTypes)
{
  const NoiseGenerator g(4);
  EXPECT_EQ(MeanDifference(g, kVoronoi1, {.octaves = 1.0}, {.octaves = 8.0}), 0.0);
  EXPECT_EQ(MeanDifference(g, kPlainNoise, {.octaves = 1.0}, {.octaves = 8.0}), 0.0);
}

TEST(NoiseAbsolute, FoldsTheSignedBasisBeforeRemapping)
{
  const NoiseGenerator g(6);
  // One octave of plain noise: remapped v = 0.5 + 0.5 n, folded |n| = |2v - 1|.
  for (const Vector& p : SamplePoints(300, 20.0, 15))
  {
    const Float remapped = Eval(g, kPlainNoise, p);
    EXPECT_NEAR(Eval(g, kPlainNoise, p, {.absolute = true}), std::fabs(2.0 * remapped - 1.0), 1e-12);
  }
  EXPECT_GT(MeanDifference(g, kFbm, {}, {.absolute = true}), 0.1);
  // Turbulence switches between a sharp and a rounded fold.
  const Float sharp = Roughness(g, kTurbulence, {.octaves = 1.0, .absolute = true});
  const Float rounded = Roughness(g, kTurbulence, {.octaves = 1.0});
  EXPECT_GT(MeanDifference(g, kTurbulence, {}, {.absolute = true}), 0.005);
  EXPECT_GT(sharp, rounded);
}

TEST(NoiseTime, AnimatesSmoothlyForEveryContinuousType)
{
  const NoiseGenerator g(7);
  for (Int32 type : AllTypeNumbers())
  {
    EXPECT_GT(MeanDifference(g, type, {.time = 0.0}, {.time = 2.0}), 0.01) << type;
    if (FindNoiseType(type)->continuous)
    {
      EXPECT_LT(MeanDifference(g, type, {.time = 1.0}, {.time = 1.0 + 1e-7}), 1e-4) << type;
    }
  }
}

TEST(NoiseSampleRadius, FadesDetailFinerThanTheFilterToTheMean)
{
  const NoiseGenerator g(9);
  const NoiseArgs sharp{.octaves = 8.0};
  const NoiseArgs filtered{.octaves = 8.0, .sampleRadius = 100.0};
  EXPECT_LT(Roughness(g, kFbm, filtered), 0.6 * Roughness(g, kFbm, sharp));
  // Coarse octaves carry most of the variance and survive a small filter.
  EXPECT_GT(Variance(g, kFbm, filtered), 0.8 * Variance(g, kFbm, sharp));
  // A filter wider than every wavelength leaves only the mean.
  const NoiseArgs blurred{.octaves = 8.0, .sampleRadius = 5000.0};
  // The radius the generator passes (2.5 thousandths) leaves the pattern whole.
  EXPECT_GT(Variance(g, kFbm, {.octaves = 5.0, .sampleRadius = 2.5}), 0.9 * Variance(g, kFbm, {.octaves = 5.0}));
  for (const Vector& p : SamplePoints(50, 10.0, 16))
    EXPECT_DOUBLE_EQ(Eval(g, kFbm, p, blurred), 0.5);
  for (Int32 type : AllTypeNumbers())
    EXPECT_LT(Variance(g, type, {.sampleRadius = 5000.0}), 0.25 * Variance(g, type, {}) + 1e-12) << type;
}

TEST(NoiseDetailAttenuation, WeakensHigherOctaves)
{
  const NoiseGenerator g(10);
  const NoiseArgs none{.octaves = 8.0};
  const NoiseArgs strong{.octaves = 8.0, .detailAttenuation = 1.0};
  EXPECT_LT(Roughness(g, kFbm, strong), 0.75 * Roughness(g, kFbm, none));
  EXPECT_GT(MeanDifference(g, kFbm, none, strong), 0.005);
  // Out-of-range attenuation is clamped to [0,1].
  EXPECT_EQ(MeanDifference(g, kFbm, strong, {.octaves = 8.0, .detailAttenuation = 7.0}), 0.0);
  EXPECT_EQ(MeanDifference(g, kFbm, none, {.octaves = 8.0, .detailAttenuation = -3.0}), 0.0);
}

class RepeatingNoise : public testing::TestWithParam<Int32>
{
};

TEST_P(RepeatingNoise, TilesWithThePeriodOnEveryAxis)
{
  const NoiseGenerator g(12);
  for (Int32 period : {1, 3, 4})
  {
    const NoiseArgs args{.time = 0.625, .octaves = 4.5, .repeat = period};
    const Float shift = static_cast<Float>(period);
    Int32 changedByHalfPeriod = 0;
    // Dyadic points keep p + period exact, so the tiles must match bit for bit.
    for (Int32 i = 0; i < 100; ++i)
    {
      const Vector p(-7.0 + 0.140625 * i, 3.0 - 0.078125 * i, 0.03125 * i);
      const Float v = Eval(g, GetParam(), p, args);
      ASSERT_EQ(v, Eval(g, GetParam(), p + Vector(shift, 0.0, 0.0), args)) << period;
      ASSERT_EQ(v, Eval(g, GetParam(), p + Vector(0.0, -shift, 0.0), args)) << period;
      ASSERT_EQ(v, Eval(g, GetParam(), p + Vector(0.0, 0.0, 5.0 * shift), args)) << period;
      changedByHalfPeriod += std::fabs(v - Eval(g, GetParam(), p + Vector(0.5 * shift, 0.0, 0.0), args)) > 1e-9;
    }
    // With a period of one, a flat-per-cell type has a single cell and is constant.
    if (period > 1)
    {
      EXPECT_GT(changedByHalfPeriod, 30) << period;
    }
  }
}

TEST_P(RepeatingNoise, DoesNotTileWithoutRepeat)
{
  const NoiseGenerator g(12);
  Int32 different = 0;
  for (Int32 i = 0; i < 100; ++i)
  {
    const Vector p(0.140625 * i, 0.078125 * i, 0.03125 * i);
    different += Eval(g, GetParam(), p) != Eval(g, GetParam(), p + Vector(3.0, 0.0, 0.0));
  }
  // Thresholded types are flat in places, so only require clear differences.
  EXPECT_GT(different, 25);
}

TEST_P(RepeatingNoise, IgnoresZInTwoD)
{
  const NoiseGenerator g(13);
  Int32 zMatters = 0;
  for (const Vector& p : SamplePoints(100, 10.0, 17))
  {
    const NoiseArgs flat{.twoD = true, .time = 0.3};
    ASSERT_EQ(Eval(g, GetParam(), p, flat), Eval(g, GetParam(), {p.x, p.y, p.z + 17.25}, flat));
    zMatters += Eval(g, GetParam(), p) != Eval(g, GetParam(), {p.x, p.y, p.z + 0.375});
  }
  EXPECT_GT(zMatters, 20);
}

TEST_P(RepeatingNoise, StaysContinuousAcrossThePeriodSeam)
{
  if (!FindNoiseType(GetParam())->continuous)
    GTEST_SKIP() << "discontinuous by design";
  const NoiseGenerator g(14);
  for (const auto& [seam, repeat] : {std::pair{256.0, 0}, std::pair{3.0, 3}, std::pair{-5.0, 5}})
    for (Float time : {0.0, 2.25})
    {
      const NoiseArgs args{.time = time, .octaves = 5.0, .repeat = repeat};
      for (const Vector& p : SamplePoints(40, 1.0, 18))
      {
        const Float before = Eval(g, GetParam(), {seam - 1e-9, p.y, p.z}, args);
        const Float after = Eval(g, GetParam(), {seam + 1e-9, p.y, p.z}, args);
        ASSERT_NEAR(before, after, 1e-4) << seam << " " << time;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Noise, RepeatingNoise, testing::Range(kFirstNoiseType, kLastNoiseType + 1));

}  // namespace
}  // namespace qhost
