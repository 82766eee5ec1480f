// Shared fixtures for the noise tests: reproducible sample points and a
// call helper with everyday arguments.
#pragma once

#include <cstdint>
#include <vector>

#include "host/noise/noise.h"

namespace qhost::noise_test {

// Everyday arguments; tests override one field at a time.
struct NoiseArgs
{
  bool twoD = false;
  Float time = 0.0;
  Float octaves = 4.0;
  bool absolute = false;
  Float sampleRadius = 0.0;
  Float detailAttenuation = 0.0;
  Int32 repeat = 0;
};

inline Float Eval(const NoiseGenerator& g, Int32 type, const Vector& p, const NoiseArgs& a = {})
{
  return g.Noise(type, a.twoD, p, a.time, a.octaves, a.absolute, a.sampleRadius, a.detailAttenuation, a.repeat);
}

// Points spread over a cube, from a fixed linear congruential sequence.
inline std::vector<Vector> SamplePoints(std::size_t count, Float halfSize, std::uint64_t stream = 1)
{
  std::uint64_t state = 0x2545F4914F6CDD1Dull * (stream + 1);
  const auto unit = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<Float>(state >> 11) * 0x1.0p-53;
  };
  std::vector<Vector> points;
  points.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
  {
    const Float x = unit(), y = unit(), z = unit();
    points.emplace_back((2.0 * x - 1.0) * halfSize, (2.0 * y - 1.0) * halfSize, (2.0 * z - 1.0) * halfSize);
  }
  return points;
}

// Coordinates that stress wrapping and precision.
inline std::vector<Vector> ExtremePoints()
{
  return {{1e300, -1e300, 1e300},      {-1.7e308, 1.7e308, 5e307},  {9007199254740993.0, -4503599627370497.5, 1e15 + 0.5},
          {2147483648.5, -2147483649.25, 4294967296.75},         {1e-310, -1e-310, 0.0},
          {-0.0, 0.0, -1e-300},        {255.999999999, 256.0, -256.0}, {123456789.123, -987654321.987, 3.0e9}};
}

inline std::vector<Int32> AllTypeNumbers()
{
  std::vector<Int32> types;
  for (const NoiseTypeInfo& info : AllNoiseTypes())
    types.push_back(info.type);
  return types;
}

}  // namespace qhost::noise_test
