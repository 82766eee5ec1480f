// Octave weight tables, ridged multifractal, shared turbulence and the
// generator's simple noise.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/host/noise/noise_samples.h"

namespace qhost {
namespace {

using noise_test::ExtremePoints;
using noise_test::SamplePoints;

TEST(InitFbm, FillsPowersOfTheLacunarityAndZeroesTheRest)
{
  Float table[kFbmTableSize];
  ASSERT_TRUE(InitFbm(table, 8, 2.0, 1.0));
  for (Int32 i = 0; i <= 8; ++i)
    EXPECT_DOUBLE_EQ(table[i], std::ldexp(1.0, -i));
  for (Int32 i = 9; i < kFbmTableSize; ++i)
    EXPECT_EQ(table[i], 0.0);

  ASSERT_TRUE(InitFbm(table, 100, 3.0, 0.5));
  for (Int32 i = 0; i < kFbmTableSize; ++i)
    EXPECT_NEAR(table[i], std::pow(3.0, -0.5 * i), 1e-15);

  ASSERT_TRUE(InitFbm(table, -4, 2.0, 1.0));
  EXPECT_EQ(table[0], 1.0);
  EXPECT_EQ(table[1], 0.0);
}

TEST(InitFbm, RejectsInvalidArgumentsButLeavesAUsableTable)
{
  EXPECT_FALSE(InitFbm(nullptr, 5, 2.0, 1.0));
  Float table[kFbmTableSize];
  for (Float lacunarity : {0.0, -2.0, Float(NAN), Float(INFINITY)})
  {
    EXPECT_FALSE(InitFbm(table, 5, lacunarity, 1.0));
    EXPECT_DOUBLE_EQ(table[3], 0.125);
  }
  EXPECT_FALSE(InitFbm(table, 5, 2.0, NAN));
}

TEST(InitFbm, GeneratorKeepsItsOwnTable)
{
  NoiseGenerator g(1);
  g.InitFbm(4, 2.0, 0.5);
  EXPECT_DOUBLE_EQ(g.FbmTable()[2], 0.5);
  EXPECT_EQ(g.FbmTable()[5], 0.0);
  NoiseGenerator other(1);
  EXPECT_NE(other.FbmTable()[5], 0.0);
}

TEST(RidgedMultifractal, StaysInZeroOneForAnyOffsetAndGain)
{
  Float table[kFbmTableSize];
  InitFbm(table, kFbmTableSize - 1, 2.0, 0.9);
  auto points = SamplePoints(1500, 50.0, 20);
  const auto extreme = ExtremePoints();
  points.insert(points.end(), extreme.begin(), extreme.end());
  for (Float offset : {-0.5, 0.0, 0.5, 1.0, 1.5})
    for (Float gain : {0.0, 2.0, 8.0})
    {
      Float lowest = 1.0, highest = 0.0;
      for (const Vector& p : points)
      {
        const Float v = RidgedMultifractal(table, p, 6.5, offset, gain);
        ASSERT_TRUE(std::isfinite(v));
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
      }
      EXPECT_GE(lowest, 0.0);
      EXPECT_LE(highest, 1.0);
      EXPECT_GT(highest - lowest, 0.05) << offset << " " << gain;
    }
  EXPECT_EQ(RidgedMultifractal(nullptr, {}, 4.0, 1.0, 2.0), 0.0);
  EXPECT_TRUE(std::isfinite(RidgedMultifractal(table, {1.0, 2.0, 3.0}, NAN, NAN, NAN)));
}

TEST(RidgedMultifractal, RespondsToOctavesAndIsContinuous)
{
  Float table[kFbmTableSize];
  InitFbm(table, kFbmTableSize - 1, 2.0, 1.0);
  Float octaveDifference = 0.0, largestStep = 0.0;
  for (const Vector& p : SamplePoints(500, 20.0, 21))
  {
    octaveDifference += std::fabs(RidgedMultifractal(table, p, 1.0, 1.0, 2.0) - RidgedMultifractal(table, p, 8.0, 1.0, 2.0));
    largestStep = std::max(largestStep, std::fabs(RidgedMultifractal(table, p, 8.0, 1.0, 2.0) -
                                                  RidgedMultifractal(table, p + Vector(1e-7), 8.0, 1.0, 2.0)));
  }
  EXPECT_GT(octaveDifference / 500.0, 0.01);
  EXPECT_LT(largestStep, 1e-3);
}

TEST(SharedTurbulence, StaysInZeroOneAndFoldsSharplyWhenAbsolute)
{
  auto points = SamplePoints(1500, 50.0, 22);
  const auto extreme = ExtremePoints();
  points.insert(points.end(), extreme.begin(), extreme.end());
  Float foldDifference = 0.0, octaveDifference = 0.0;
  for (const Vector& p : points)
  {
    for (bool absolute : {false, true})
    {
      const Float v = Turbulence(p, 5.0, absolute);
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_GE(v, 0.0);
      ASSERT_LE(v, 1.0);
    }
    foldDifference += std::fabs(Turbulence(p, 5.0, true) - Turbulence(p, 5.0, false));
    octaveDifference += std::fabs(Turbulence(p, 1.0, true) - Turbulence(p, 6.0, true));
  }
  EXPECT_GT(foldDifference / static_cast<Float>(points.size()), 0.005);
  EXPECT_GT(octaveDifference / static_cast<Float>(points.size()), 0.01);
  // Fixed internal seed: identical on every call.
  EXPECT_EQ(Turbulence({1.25, 2.5, -3.75}, 4.0, true), Turbulence({1.25, 2.5, -3.75}, 4.0, true));
}

TEST(SimpleNoise, IsOneOctaveOfPlainNoiseInZeroOne)
{
  const NoiseGenerator g(30);
  for (const Vector& p : SamplePoints(500, 100.0, 23))
  {
    const Float v = g.SimpleNoise(p);
    ASSERT_GE(v, 0.0);
    ASSERT_LE(v, 1.0);
    ASSERT_EQ(v, g.Noise(kFallbackNoiseType, false, p, 0.0, 1.0, false, 0.0, 0.0, 0));
  }
  for (const Vector& p : ExtremePoints())
    ASSERT_TRUE(std::isfinite(g.SimpleNoise(p)));
}

}  // namespace
}  // namespace qhost
