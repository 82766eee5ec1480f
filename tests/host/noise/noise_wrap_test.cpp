// Reducing coordinates to the natural period: the short form for a reduced
// coordinate plus a seed offset must agree with the general one to the bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "host/noise/octaves.h"
#include "tests/host/noise/noise_samples.h"

namespace qhost::noise {
namespace {

void ExpectSameBits(Float x)
{
  EXPECT_EQ(std::bit_cast<std::uint64_t>(WrapTwoNaturalPeriods(x)),
            std::bit_cast<std::uint64_t>(WrapCoordinate(x, kNaturalPeriod, false)))
      << "x = " << x;
}

TEST(WrapTwoNaturalPeriods, AgreesWithTheGeneralReductionAtEveryBoundary)
{
  for (const Float edge : {0.0, 256.0, 512.0})
    for (const Float x : {edge, std::nextafter(edge, -1.0), std::nextafter(edge, 1000.0)})
      if (x >= 0.0 && x <= 512.0)
        ExpectSameBits(x);
  for (const Float x : {4.9e-324, 1e-310, 0x1p-1030, 255.99999999999997, 511.99999999999994})
    ExpectSameBits(x);
}

TEST(WrapTwoNaturalPeriods, AgreesWithTheGeneralReductionForSumsOfReducedValues)
{
  // What the noise generator feeds it: a reduced input plus a seed offset.
  for (const Float halfSize : {2.0, 300.0, 1e6})
    for (const Vector& p : noise_test::SamplePoints(3000, halfSize, 3))
    {
      const Float reduced = WrapCoordinate(p.x, kNaturalPeriod, false);
      const Float offset = WrapCoordinate(std::fabs(p.y), kNaturalPeriod, false);
      ExpectSameBits(reduced + offset);
      ExpectSameBits(reduced);
    }
}

}  // namespace
}  // namespace qhost::noise
