// Animated effect types: fire, electric arcs and gas.
#include <algorithm>
#include <cmath>

#include "host/noise/patterns.h"

namespace qhost::noise {

// Vertical flame tongues (ridges of stretched turbulence) rising with time.
Float Fire(const PatternContext& c, const Vector& p)
{
  constexpr Float kRiseSpeed = 0.6;
  Vector q = p;
  q.y -= WrapCoordinate(c.octaves.time * kRiseSpeed, c.octaves.period, c.octaves.tiling);
  q += Warp(c, q, 0.15);
  return 0.75 * (1.0 - Turbulent(c, q, false, {2, 1, 2}));
}

// Branching bright arcs: the zero crossings of a warped noise where a second
// noise lets them through, with finer arcs branching off near them. Each arc
// has a Gaussian profile across it whose width is measured in space (the
// noise value over its gradient estimates the distance to the crossing), so
// arcs keep one width and a bounded slope however steeply the noise crosses
// zero.
Float Electric(const PatternContext& c, const Vector& p)
{
  constexpr Float kArcWidth = 0.2;
  constexpr Float kBranchHeight = 0.6;
  constexpr Float kBranchReach = 2.5;  // arc widths from a main arc
  const PatternContext single{c.lattice, c.octaves.Limited(1), false};
  const Vector q = p + Warp(c, p, 0.2);
  // Squared distance to the crossing, in arc widths.
  const auto crossing = [&](UInt32 salt, AxisScale scale) {
    constexpr Float kStep = 1e-3;
    const Float n = FbmSigned(single, q, salt, scale);
    const Vector gradient((FbmSigned(single, q + Vector(kStep, 0, 0), salt, scale) - n) / kStep,
                          (FbmSigned(single, q + Vector(0, kStep, 0), salt, scale) - n) / kStep,
                          (FbmSigned(single, q + Vector(0, 0, kStep), salt, scale) - n) / kStep);
    // A smooth floor on the gradient keeps the estimate from jumping where
    // the noise flattens out and bends, which would put cliffs into the arcs.
    constexpr Float kMinGradient = 1.5;
    return n * n / (Dot(gradient, gradient) + kMinGradient * kMinGradient) / (kArcWidth * kArcWidth);
  };
  const Float mainDistance2 = crossing(5, {});
  // A coarse noise lets the arcs through in places only, so they stay apart.
  const Float present = SmoothStep(-0.2, 0.3, FbmSigned(single, q, 97));
  const Float main = present * std::exp(-0.5 * mainDistance2);
  const Float near = present * std::exp(-0.5 * mainDistance2 / (kBranchReach * kBranchReach));
  const Float branch = kBranchHeight * near * std::exp(-0.5 * crossing(61, {2, 2, 2}));
  // Screen blend: smooth where arcs cross, unlike max.
  return 1.0 - (1.0 - main) * (1.0 - branch);
}

// Soft billows: warped fBm through a wide smooth threshold.
Float Gaseous(const PatternContext& c, const Vector& p)
{
  const Float density = FbmSigned(c, p + Warp(c, p, 0.35), 3);
  return SmoothStep(-0.5, 0.8, density);
}

}  // namespace qhost::noise
