// Free fractal functions: octave weight tables, ridged multifractal and the
// fixed-seed turbulence.
#include <algorithm>
#include <cmath>

#include "host/noise/noise.h"
#include "host/noise/patterns.h"

namespace qhost {
namespace {

// Seed of the lattice shared by the free functions; part of their output.
constexpr Int32 kSharedSeed = 1013;

const noise::Lattice& SharedLattice()
{
  static const noise::Lattice lattice(kSharedSeed);
  return lattice;
}

Vector WrapNatural(const Vector& p)
{
  const auto wrap = [](Float x) { return noise::WrapCoordinate(std::isfinite(x) ? x : 0.0, noise::kNaturalPeriod, false); };
  return {wrap(p.x), wrap(p.y), wrap(p.z)};
}

// Whole octaves plus the weight of a partial last one, within [1, limit].
struct OctaveCount
{
  Int32 count;
  Float lastWeight;
};

OctaveCount CountOctaves(Float octaves, Int32 limit)
{
  const Float n = octaves >= 1.0 ? std::min(octaves, static_cast<Float>(limit)) : 1.0;
  const Float whole = std::floor(n);
  if (n > whole)
    return {static_cast<Int32>(whole) + 1, n - whole};
  return {static_cast<Int32>(whole), 1.0};
}

}  // namespace

bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h)
{
  if (table == nullptr)
    return false;
  const bool valid = std::isfinite(lacunarity) && lacunarity > 0.0 && std::isfinite(h);
  if (!valid)
  {
    lacunarity = 2.0;
    h = 1.0;
  }
  const Int32 last = std::clamp(maxOctaves, 0, kFbmTableSize - 1);
  for (Int32 i = 0; i < kFbmTableSize; ++i)
    table[i] = i <= last ? std::pow(lacunarity, -h * static_cast<Float>(i)) : 0.0;
  return valid;
}

namespace noise {

Float Ridged(const Lattice& lattice, const Float* table, const Vector& q, Float octaves, Float offset, Float gain)
{
  if (table == nullptr)
    return 0.0;
  offset = std::isfinite(offset) ? offset : 1.0;
  gain = std::isfinite(gain) ? gain : 2.0;
  // Largest (offset - |n|)^2 over |n| in [0,1]; dividing by it keeps every
  // octave's signal in [0,1].
  const Float peak = std::max(offset * offset, (offset - 1.0) * (offset - 1.0));
  if (peak == 0.0)
    return 0.0;
  // Every crest is rounded, finer octaves more (their ridges are steeper for
  // the same weight), so a displaced ridge stays a ridge and not a fold.
  constexpr Float kCrestRounding = 0.3;
  constexpr Float kRoundingGrowth = 1.41421356237;
  Float rounding = kCrestRounding;
  const OctaveCount n = CountOctaves(octaves, kFbmTableSize);
  Float result = 0.0, total = 0.0, weight = 1.0, frequency = 1.0;
  for (Int32 i = 0; i < n.count; ++i, frequency *= 2.0, rounding *= kRoundingGrowth)
  {
    const Float octaveWeight = std::fabs(table[i]) * (i + 1 == n.count ? n.lastWeight : 1.0);
    const Float ridge = offset - SoftAbs(lattice.Gradient(q * frequency, {}, OctaveSalt(i)), rounding);
    const Float signal = ridge * ridge / peak * weight;
    result += signal * octaveWeight;
    total += octaveWeight;
    // Valleys of the previous octave damp the detail of the next one.
    weight = std::clamp(signal * gain, 0.0, 1.0);
  }
  // The valleys where |n| meets the offset are as sharp as the crests are
  // high: a lower relief keeps them from folding a displaced surface.
  constexpr Float kRelief = 0.6;
  const Float value = kRelief * result / total;
  return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

}  // namespace noise

Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain)
{
  return noise::Ridged(SharedLattice(), table, WrapNatural(p), octaves, offset, gain);
}

Float Turbulence(const Vector& p, Float octaves, bool absolute)
{
  noise::OctaveSetup setup;
  const OctaveCount n = CountOctaves(octaves, kMaxNoiseOctaves);
  setup.count = n.count;
  setup.lastWeight = n.lastWeight;
  const noise::PatternContext context{SharedLattice(), setup, absolute};
  return noise::Turbulent(context, WrapNatural(p), absolute);
}

}  // namespace qhost
