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
  q += Warp(c, q, 0.3);
  const Float flame = 1.0 - Turbulent(c, q, true, {3, 1, 3});
  return flame * flame * flame;
}

// Thin bright arcs along the zero crossings of two warped noise layers.
Float Electric(const PatternContext& c, const Vector& p)
{
  const PatternContext coarse{c.lattice, c.octaves.Limited(3), false};
  const Vector q = p + Warp(c, p, 0.35);
  const Float main = 1.0 - std::fabs(FbmSigned(coarse, q, 5));
  const Float branch = 1.0 - std::fabs(FbmSigned(coarse, q, 61, {2, 2, 2}));
  return std::max(std::pow(main, 7.0), 0.6 * std::pow(branch, 9.0));
}

// Soft billows: warped fBm through a wide smooth threshold.
Float Gaseous(const PatternContext& c, const Vector& p)
{
  const Float density = FbmSigned(c, p + Warp(c, p, 0.5), 3);
  return SmoothStep(-0.25, 0.6, density);
}

}  // namespace qhost::noise
