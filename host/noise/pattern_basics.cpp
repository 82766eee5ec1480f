// Fractal building blocks on top of the lattice.
#include <cmath>

#include "host/noise/patterns.h"

namespace qhost::noise {
namespace {

// Rounded fold: like |n| away from zero but smooth through it.
Float SoftFold(Float n)
{
  constexpr Float kRounding = 0.1;
  // 1 / (sqrt(1 + kRounding^2) - kRounding): maps |n| = 1 to 1.
  constexpr Float kInverseTop = 1.1049876169;
  return SoftAbs(n, kRounding) * kInverseTop;
}

}  // namespace

Float Fbm(const PatternContext& c, const Vector& p, UInt32 salt, AxisScale scale)
{
  const Lattice& lattice = c.lattice;
  if (c.absolute)
    return SumOctaves(c.octaves, p, scale, kFoldedMean, [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
      return std::fabs(lattice.Gradient(q, period, s + salt));
    });
  return SumOctaves(c.octaves, p, scale, 0.5, [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
    return 0.5 + 0.5 * lattice.Gradient(q, period, s + salt);
  });
}

Float FbmSigned(const PatternContext& c, const Vector& p, UInt32 salt, AxisScale scale)
{
  const Lattice& lattice = c.lattice;
  return SumOctaves(c.octaves, p, scale, 0.0, [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
    return lattice.Gradient(q, period, s + salt);
  });
}

Float Turbulent(const PatternContext& c, const Vector& p, bool hardFold, AxisScale scale)
{
  const Lattice& lattice = c.lattice;
  if (hardFold)
    return SumOctaves(c.octaves, p, scale, kFoldedMean, [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
      return std::fabs(lattice.Gradient(q, period, s));
    });
  return SumOctaves(c.octaves, p, scale, kFoldedMean, [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
    return SoftFold(lattice.Gradient(q, period, s));
  });
}

Vector Warp(const PatternContext& c, const Vector& p, Float amount)
{
  constexpr Int32 kWarpOctaves = 3;
  // Three independent fBm sums, one per axis, whose octaves share their cells.
  const Lattice& lattice = c.lattice;
  return SumOctaves(c.octaves.Limited(kWarpOctaves), p, {}, Vector{},
                    [&](const Vector& q, const LatticePeriod& period, UInt32 s) {
                      return lattice.GradientTriple(q, period, s + 17, s + 53, s + 89);
                    }) *
         amount;
}

}  // namespace qhost::noise
