// Fractal octave summation shared by every noise type: octave weights,
// fractional last octave, animation drift, antialiasing fade and tiling.
#pragma once

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "host/noise/lattice.h"

namespace qhost::noise {

// Untiled patterns repeat every 256 units anyway (the tables wrap at 256
// cells and every octave frequency is an integer), so inputs are reduced
// modulo 256 exactly; this keeps lattice arithmetic small for huge inputs.
constexpr Int64 kNaturalPeriod = Lattice::kSize;

struct OctaveSetup
{
  Int32 count = 1;          // octaves evaluated, the last one possibly partial
  Float lastWeight = 1.0;   // weight of the last octave in (0,1]
  Float persistence = 0.5;  // amplitude ratio between neighbouring octaves
  Float sampleRadius = 0.0; // filter width in input units
  Float time = 0.0;
  Int64 period = kNaturalPeriod;  // input-space period
  bool tiling = false;            // period comes from the caller's repeat

  // The same setup with at most `maxCount` octaves, all of full weight when cut.
  OctaveSetup Limited(Int32 maxCount) const
  {
    OctaveSetup s = *this;
    if (s.count > maxCount)
    {
      s.count = maxCount;
      s.lastWeight = 1.0;
    }
    return s;
  }
};

// Integer stretch per axis (integers keep tiling exact).
struct AxisScale
{
  Int64 x = 1, y = 1, z = 1;
};

inline Float SmoothStep(Float edge0, Float edge1, Float x)
{
  const Float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Reduces x into [0,period): exact for both the power-of-two natural period
// (floor trick) and any tiling period (fmod is exact).
inline Float WrapCoordinate(Float x, Int64 period, bool tiling)
{
  if (!tiling)
  {
    constexpr Float kPeriod = static_cast<Float>(kNaturalPeriod);
    return x - kPeriod * std::floor(x * (1.0 / kPeriod));
  }
  const Float r = std::fmod(x, static_cast<Float>(period));
  return r < 0.0 ? r + static_cast<Float>(period) : r;
}

// WrapCoordinate(x, kNaturalPeriod, false) for x in [0, 2 * kNaturalPeriod]:
// the floor of x / period is then 0, 1 or 2, found by comparisons instead
// of a conversion chain, and the result is the same to the bit.
inline Float WrapTwoNaturalPeriods(Float x)
{
  constexpr Float kPeriod = static_cast<Float>(kNaturalPeriod);
  const Float turns = static_cast<Float>(static_cast<int>(x >= kPeriod) + static_cast<int>(x >= 2.0 * kPeriod));
  return x - kPeriod * turns;
}

// 1 while the feature wavelength is at least four filter widths, 0 once it is
// two or fewer: finer detail would alias, so it fades to its mean.
inline Float AntialiasWeight(Float sampleRadius, Float wavelength)
{
  return sampleRadius > 0.0 ? 1.0 - SmoothStep(0.25, 0.5, sampleRadius / wavelength) : 1.0;
}

// Each octave drifts in its own direction so the pattern evolves with time
// instead of only sliding. Offsets are wrapped to the period to stay tileable.
inline Vector OctaveDrift(const OctaveSetup& s, Int32 octave)
{
  if (s.time == 0.0)
    return {};
  static constexpr Float kDirections[8][3] = {
      {0.48, 0.60, 0.64}, {-0.70, 0.10, 0.71}, {0.36, -0.80, 0.48}, {0.80, 0.36, -0.48},
      {-0.28, -0.48, 0.83}, {0.60, -0.64, -0.48}, {-0.86, 0.43, -0.27}, {0.14, 0.99, 0.0}};
  constexpr Float kSpeed = 0.25;
  const Float* d = kDirections[octave & 7];
  const Float t = s.time * kSpeed;
  return {WrapCoordinate(t * d[0], s.period, s.tiling), WrapCoordinate(t * d[1], s.period, s.tiling),
          WrapCoordinate(t * d[2], s.period, s.tiling)};
}

inline UInt32 OctaveSalt(Int32 octave) { return static_cast<UInt32>(octave) * 101u; }

// Weighted average of `basis` over the octaves. basis(q, period, salt) gets
// lattice coordinates and returns a Float, or a Vector of three values
// averaged each on its own; `mean` is what an octave fades to when it would
// alias, so the result stays within the basis range.
template <class Basis, class Value = std::invoke_result_t<Basis, const Vector&, const LatticePeriod&, UInt32>>
Value SumOctaves(const OctaveSetup& s, const Vector& p, AxisScale scale, const std::type_identity_t<Value>& mean,
                 Basis&& basis)
{
  const Float finest = static_cast<Float>(std::max({scale.x, scale.y, scale.z}));
  Value sum{};
  Float total = 0.0, amplitude = 1.0;
  Int64 frequency = 1;
  for (Int32 k = 0; k < s.count; ++k, amplitude *= s.persistence, frequency *= 2)
  {
    const Float weight = k + 1 == s.count ? amplitude * s.lastWeight : amplitude;
    total += weight;
    const Float fade = AntialiasWeight(s.sampleRadius, 1.0 / (static_cast<Float>(frequency) * finest));
    Value value = mean;
    if (fade > 0.0)
    {
      const Vector q = p + OctaveDrift(s, k);
      const Int64 fx = frequency * scale.x, fy = frequency * scale.y, fz = frequency * scale.z;
      const Vector lp{q.x * static_cast<Float>(fx), q.y * static_cast<Float>(fy), q.z * static_cast<Float>(fz)};
      const LatticePeriod period = s.tiling ? LatticePeriod{s.period * fx, s.period * fy, s.period * fz}
                                            : LatticePeriod{};
      value = mean + (basis(lp, period, OctaveSalt(k)) - mean) * fade;
    }
    sum += value * weight;
  }
  return sum / total;
}

}  // namespace qhost::noise
