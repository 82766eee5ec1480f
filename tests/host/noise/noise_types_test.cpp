// Every noise type: metadata, value ranges, determinism and distinctness.
#include <gtest/gtest.h>

#include <cmath>
#include <cctype>
#include <cstring>
#include <string>

#include "tests/host/noise/noise_samples.h"

namespace qhost {
namespace {

using noise_test::AllTypeNumbers;
using noise_test::Eval;
using noise_test::ExtremePoints;
using noise_test::NoiseArgs;
using noise_test::SamplePoints;

TEST(NoiseTypeTable, ListsTypesOneToThirtyThreeInOrderWithMenuLabels)
{
  const auto types = AllNoiseTypes();
  ASSERT_EQ(types.size(), 33u);
  for (std::size_t i = 0; i < types.size(); ++i)
  {
    EXPECT_EQ(types[i].type, static_cast<Int32>(i + 1));
    EXPECT_EQ(FindNoiseType(types[i].type), &types[i]);
    EXPECT_LT(types[i].minValue, types[i].maxValue);
    EXPECT_GT(std::strlen(types[i].description), 10u);
  }
  const char* expected[] = {"Box Noise", "Blistered Turbulence", "Buya", "Cell Noise", "Cranal", "Dents",
                            "Displaced Turbulence", "fBm", "Hama", "Luka", "Mod Noise", "Naki", "Noise", "Nutous",
                            "Ober", "Pezo", "Poxo", nullptr, "Sema", "Stupl", "Turbulence", "VL Noise",
                            "Wavy Turbulence", "Cell Voronoi", "Displaced Voronoi", "Sparse Convolution",
                            "Voronoi 1", "Voronoi 2", "Voronoi 3", "Zada", "Fire", "Electric", "Gaseous"};
  for (std::size_t i = 0; i < types.size(); ++i)
  {
    if (expected[i] != nullptr)
    {
      EXPECT_STREQ(types[i].label, expected[i]);
    }
  }
  EXPECT_GT(std::strlen(types[17].label), 0u);
}

TEST(NoiseTypeTable, FindReturnsNullOutsideTheRange)
{
  EXPECT_EQ(FindNoiseType(0), nullptr);
  EXPECT_EQ(FindNoiseType(34), nullptr);
  EXPECT_EQ(FindNoiseType(-1), nullptr);
  EXPECT_EQ(FindNoiseType(INT32_MIN), nullptr);
}

class EveryNoiseType : public testing::TestWithParam<Int32>
{
protected:
  const NoiseTypeInfo& Info() const { return *FindNoiseType(GetParam()); }
};

std::string TypeName(const testing::TestParamInfo<Int32>& param)
{
  std::string name = std::to_string(param.param) + "_";
  for (const char* c = FindNoiseType(param.param)->label; *c != '\0'; ++c)
    if (std::isalnum(static_cast<unsigned char>(*c)))
      name += *c;
  return name;
}

TEST_P(EveryNoiseType, StaysInItsRangeForEveryArgumentMix)
{
  const NoiseGenerator generator(77);
  const std::vector<NoiseArgs> mixes = {
      {},
      {.octaves = 1.0},
      {.time = 3.7, .octaves = 16.0, .absolute = true},
      {.octaves = 2.5, .sampleRadius = 0.05, .detailAttenuation = 0.5},
      {.twoD = true, .octaves = 6.0, .repeat = 5},
      {.time = -1e6, .octaves = 3.0, .absolute = true, .repeat = 1},
      {.octaves = 8.0, .sampleRadius = 10.0, .detailAttenuation = 1.0},
  };
  std::vector<Vector> points = SamplePoints(600, 40.0);
  const std::vector<Vector> extreme = ExtremePoints();
  points.insert(points.end(), extreme.begin(), extreme.end());
  for (const NoiseArgs& args : mixes)
    for (const Vector& p : points)
    {
      const Float v = Eval(generator, GetParam(), p, args);
      ASSERT_TRUE(std::isfinite(v)) << p.x << " " << p.y << " " << p.z;
      ASSERT_GE(v, Info().minValue) << p.x << " " << p.y << " " << p.z;
      ASSERT_LE(v, Info().maxValue) << p.x << " " << p.y << " " << p.z;
    }
}

TEST_P(EveryNoiseType, StaysFiniteForExtremeArguments)
{
  const NoiseGenerator generator(-5);
  const Float huge = 1e300;
  const std::vector<NoiseArgs> mixes = {
      {.time = huge, .octaves = huge, .sampleRadius = huge, .detailAttenuation = huge, .repeat = INT32_MAX},
      {.time = -huge, .octaves = -huge, .sampleRadius = -huge, .detailAttenuation = -huge, .repeat = INT32_MIN},
      {.time = NAN, .octaves = NAN, .sampleRadius = NAN, .detailAttenuation = NAN},
      {.time = INFINITY, .octaves = INFINITY, .sampleRadius = INFINITY},
  };
  for (const NoiseArgs& args : mixes)
    for (const Vector& p : ExtremePoints())
    {
      const Float v = Eval(generator, GetParam(), p, args);
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_GE(v, Info().minValue);
      ASSERT_LE(v, Info().maxValue);
    }
}

TEST_P(EveryNoiseType, IsAVaryingPatternNotAConstant)
{
  const NoiseGenerator generator(3);
  Float sum = 0.0, sumSquares = 0.0;
  const auto points = SamplePoints(2000, 20.0);
  for (const Vector& p : points)
  {
    const Float v = Eval(generator, GetParam(), p);
    sum += v;
    sumSquares += v * v;
  }
  const Float n = static_cast<Float>(points.size());
  const Float variance = sumSquares / n - (sum / n) * (sum / n);
  EXPECT_GT(std::sqrt(variance), 0.02);
}

TEST_P(EveryNoiseType, GivesIdenticalBytesForTheSameSeed)
{
  const NoiseGenerator a(1234), b(1234);
  const NoiseArgs args{.time = 0.75, .octaves = 5.5, .absolute = true};
  for (const Vector& p : SamplePoints(300, 100.0, 9))
  {
    const Float va = Eval(a, GetParam(), p, args), vb = Eval(b, GetParam(), p, args);
    ASSERT_EQ(std::memcmp(&va, &vb, sizeof(Float)), 0);
  }
}

TEST_P(EveryNoiseType, DiffersBetweenSeeds)
{
  const NoiseGenerator a(1), b(2);
  Int32 different = 0;
  const auto points = SamplePoints(400, 30.0, 4);
  for (const Vector& p : points)
    different += std::fabs(Eval(a, GetParam(), p) - Eval(b, GetParam(), p)) > 1e-6;
  EXPECT_GT(different, static_cast<Int32>(points.size()) / 4);
}

TEST_P(EveryNoiseType, IsContinuousWhenDeclaredSoAndJumpsOtherwise)
{
  const NoiseGenerator generator(11);
  const Vector step = Vector(0.3, -0.5, 0.8).GetNormalized() * 1e-7;
  Float largestChange = 0.0;
  for (const Vector& p : SamplePoints(3000, 10.0, 5))
    largestChange = std::max(largestChange, std::fabs(Eval(generator, GetParam(), p + step) -
                                                      Eval(generator, GetParam(), p)));
  if (Info().continuous)
  {
    EXPECT_LT(largestChange, 1e-3);
  }
  else
  {
    // Walk a line finely: a discontinuous type must show jumps somewhere.
    Float largestJump = 0.0;
    Float previous = Eval(generator, GetParam(), {0.1, 0.2, 0.3});
    for (Int32 i = 1; i < 20000; ++i)
    {
      const Float v = Eval(generator, GetParam(), {0.1 + 1e-3 * i, 0.2 + 7e-4 * i, 0.3});
      largestJump = std::max(largestJump, std::fabs(v - previous));
      previous = v;
    }
    EXPECT_GT(largestJump, 0.1);
  }
}

INSTANTIATE_TEST_SUITE_P(Noise, EveryNoiseType, testing::Range(kFirstNoiseType, kLastNoiseType + 1), TypeName);

TEST(NoiseTypes, AreAllPairwiseDistinct)
{
  const NoiseGenerator generator(21);
  const auto points = SamplePoints(400, 12.0, 6);
  const std::vector<Int32> types = AllTypeNumbers();
  std::vector<std::vector<Float>> values;
  for (Int32 type : types)
  {
    values.emplace_back();
    for (const Vector& p : points)
      values.back().push_back(Eval(generator, type, p));
  }
  for (std::size_t a = 0; a < types.size(); ++a)
    for (std::size_t b = a + 1; b < types.size(); ++b)
    {
      Float meanDifference = 0.0;
      for (std::size_t i = 0; i < points.size(); ++i)
        meanDifference += std::fabs(values[a][i] - values[b][i]);
      meanDifference /= static_cast<Float>(points.size());
      EXPECT_GT(meanDifference, 0.03) << types[a] << " vs " << types[b];
    }
}

TEST(NoiseTypes, OutOfRangeTypesEvaluatePlainNoise)
{
  const NoiseGenerator generator(8);
  const NoiseArgs args{.time = 0.5, .octaves = 3.0};
  for (const Vector& p : SamplePoints(200, 10.0, 7))
  {
    const Float plain = Eval(generator, kFallbackNoiseType, p, args);
    for (Int32 type : {0, -1, 34, 1000, INT32_MIN, INT32_MAX})
      ASSERT_EQ(Eval(generator, type, p, args), plain);
  }
}

}  // namespace
}  // namespace qhost
