// The seed moves the whole pattern: every type, the simple noise and the
// seeded ridged multifractal show another part of space for another seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "host/noise/noise_services.h"
#include "tests/host/noise/noise_samples.h"

namespace qhost {
namespace {

using noise_test::Eval;
using noise_test::NoiseArgs;
using noise_test::SamplePoints;

constexpr Int32 kSeeds = 8;

// Points where a lattice-aligned pattern would hold still: the origin, whole
// coordinates (the face centres of the default cube sample there) and halves.
const Vector kFixedPointSuspects[] = {Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, -1, 0),
                                      Vector(0, 0, 1), Vector(3, -2, 5), Vector(0.5, 0.5, 0.5)};

template <class Sample>
void ExpectEverySuspectVariesWithTheSeed(Sample&& sample, const char* what)
{
  for (const Vector& p : kFixedPointSuspects)
  {
    Float lowest = INFINITY, highest = -INFINITY;
    for (Int32 seed = 0; seed < kSeeds; ++seed)
    {
      const Float v = sample(seed, p);
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
    }
    EXPECT_GT(highest - lowest, 1e-3) << what << " at " << p.x << " " << p.y << " " << p.z;
  }
}

class SeededNoiseType : public testing::TestWithParam<Int32>
{
};

TEST_P(SeededNoiseType, NoPointKeepsItsValueForEverySeed)
{
  ExpectEverySuspectVariesWithTheSeed(
      [&](Int32 seed, const Vector& p) {
        return Eval(NoiseGenerator(seed), GetParam(), p, NoiseArgs{.octaves = 5.0, .sampleRadius = 2.5});
      },
      FindNoiseType(GetParam())->label);
}

TEST_P(SeededNoiseType, TwoDAndTilingPatternsMoveToo)
{
  ExpectEverySuspectVariesWithTheSeed(
      [&](Int32 seed, const Vector& p) { return Eval(NoiseGenerator(seed), GetParam(), p, NoiseArgs{.twoD = true}); },
      "2-D");
  ExpectEverySuspectVariesWithTheSeed(
      [&](Int32 seed, const Vector& p) { return Eval(NoiseGenerator(seed), GetParam(), p, NoiseArgs{.repeat = 4}); },
      "tiling");
}

INSTANTIATE_TEST_SUITE_P(Noise, SeededNoiseType, testing::Range(kFirstNoiseType, kLastNoiseType + 1));

TEST(SeededNoise, SimpleNoiseAndRidgedMultifractalFollowTheSeed)
{
  Float table[kFbmTableSize];
  InitFbm(table, 18, 2.0, 0.5);
  ExpectEverySuspectVariesWithTheSeed([](Int32 seed, const Vector& p) { return NoiseGenerator(seed).SimpleNoise(p); },
                                      "simple noise");
  ExpectEverySuspectVariesWithTheSeed(
      [&](Int32 seed, const Vector& p) { return NoiseGenerator(seed).RidgedMultifractal(table, p, 5.0, 0.5, 1.0); },
      "ridged multifractal");
}

TEST(SeededNoise, SameSeedSameBytesForTheSeededRidgedMultifractal)
{
  Float table[kFbmTableSize];
  InitFbm(table, 18, 2.0, 0.5);
  const NoiseGenerator a(77), b(77), c(78);
  Int32 different = 0;
  for (const Vector& p : SamplePoints(200, 2.0, 31))
  {
    const Float va = a.RidgedMultifractal(table, p, 5.0, 0.5, 1.0);
    const Float vb = b.RidgedMultifractal(table, p, 5.0, 0.5, 1.0);
    ASSERT_EQ(std::memcmp(&va, &vb, sizeof va), 0);
    different += std::fabs(va - c.RidgedMultifractal(table, p, 5.0, 0.5, 1.0)) > 1e-6;
  }
  EXPECT_GT(different, 150);
}

TEST(SeededNoise, ApiRidgedMultifractalFollowsTheNewestGeneratorOfTheThreadOrTheForwardedOne)
{
  Float table[kFbmTableSize];
  InitFbm(table, 18, 2.0, 0.5);
  NoiseServices& services = NoiseServicesInstance();
  const Vector p(0.3, -0.7, 1.1);
  const auto api = [&] { return services.RidgedMultifractal(table, p, 5.0, 0.5, 1.0); };
  const auto seeded = [&](Int32 seed) { return NoiseGenerator(seed).RidgedMultifractal(table, p, 5.0, 0.5, 1.0); };
  const Float fixedSeed = qhost::RidgedMultifractal(table, p, 5.0, 0.5, 1.0);
  ASSERT_NE(seeded(5), seeded(6));

  EXPECT_EQ(api(), fixedSeed);
  GeNoise* first = services.AllocNoise(5);
  EXPECT_EQ(api(), seeded(5));
  GeNoise* second = services.AllocNoise(6);
  EXPECT_EQ(api(), seeded(6));
  // Another thread has no generator of its own.
  Float elsewhere = 0.0;
  std::thread([&] { elsewhere = api(); }).join();
  EXPECT_EQ(elsewhere, fixedSeed);
  // A worker of a parallel loop follows the generator forwarded from the caller
  // until it is restored; a generator of the worker's own wins.
  void* const forwarded = ForwardedGenerator();
  Float forwardedValue = 0.0, ownValue = 0.0, restoredValue = 0.0;
  std::thread([&] {
    void* const replaced = InstallForwardedGenerator(forwarded);
    forwardedValue = api();
    GeNoise* own = services.AllocNoise(7);
    ownValue = api();
    services.FreeNoise(own);
    InstallForwardedGenerator(replaced);
    restoredValue = api();
  }).join();
  EXPECT_EQ(forwardedValue, seeded(6));
  EXPECT_EQ(ownValue, seeded(7));
  EXPECT_EQ(restoredValue, fixedSeed);
  services.FreeNoise(second);
  EXPECT_EQ(api(), seeded(5));
  services.FreeNoise(first);
  EXPECT_EQ(api(), fixedSeed);
}

} // namespace
} // namespace qhost
