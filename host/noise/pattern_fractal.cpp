// Types built from fractal lattice noise.
#include <cmath>

#include "host/noise/patterns.h"

namespace qhost::noise {
namespace {

constexpr Float kTwoPi = 2.0 * kPi;

// Moves a periodic profile towards its mean once its wavelength is too short
// for the filter.
Float FadeProfile(const PatternContext& c, Float value, Float wavelength, Float mean)
{
  return mean + AntialiasWeight(c.octaves.sampleRadius, wavelength) * (value - mean);
}

Float MapSigned(const PatternContext& c, Float n) { return c.absolute ? std::fabs(n) : 0.5 + 0.5 * n; }
Float SignedMean(const PatternContext& c) { return c.absolute ? kFoldedMean : 0.5; }

}  // namespace

Float BoxNoise(const PatternContext& c, const Vector& p)
{
  return SumOctaves(c.octaves, p, {}, 0.5, [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
    return c.lattice.Plateau(q, period, salt);
  });
}

// Contour bands of fBm, like a topographic map. Few, shallow bands: each
// band multiplies the slope of the fBm below it.
Float Buya(const PatternContext& c, const Vector& p)
{
  constexpr Float kBands = 1.25;
  constexpr Float kDepth = 0.4;
  return 0.5 + kDepth * std::sin(kTwoPi * kBands * Fbm(c, p));
}

// Ridged folds on a warped domain, like the surface of a brain.
Float Cranal(const PatternContext& c, const Vector& p)
{
  constexpr Float kRidgeMean = 0.55;
  constexpr Float kCrestRounding = 0.3;
  const Vector q = p + Warp(c, p, 0.25);
  return SumOctaves(c.octaves, q, {}, kRidgeMean, [&](const Vector& l, const LatticePeriod& period, UInt32 salt) {
    const Float ridge = 1.0 - SoftAbs(c.lattice.Gradient(l, period, salt), kCrestRounding);
    return ridge * ridge;
  });
}

Float DisplacedTurbulence(const PatternContext& c, const Vector& p)
{
  return Turbulent(c, p + Warp(c, p, 0.3), c.absolute);
}

Float FbmPattern(const PatternContext& c, const Vector& p) { return Fbm(c, p); }

// Narrow-crested ripples running along x, bent by noise, like wind-blown
// sand. The crests are rounded and the ripples wide and shallow enough that
// a displaced surface never folds over them.
Float Hama(const PatternContext& c, const Vector& p)
{
  constexpr Float kRipplesPerUnit = 1.0;
  constexpr Float kBend = 0.3;
  constexpr Float kCrestRounding = 0.3;
  constexpr Float kBase = 0.15;
  constexpr Float kHeight = 0.7;
  const PatternContext coarse{c.lattice, c.octaves.Limited(3), false};
  const Float phase = kRipplesPerUnit * p.x + kBend * FbmSigned(coarse, p);
  const Float ripple = 1.0 - SoftAbs(std::sin(kPi * phase), kCrestRounding) / SoftAbs(1.0, kCrestRounding);
  return FadeProfile(c, kBase + kHeight * ripple, 1.0 / kRipplesPerUnit, kBase + kHeight * 0.45);
}

// Soft-edged spots where fBm rises over a threshold.
Float Luka(const PatternContext& c, const Vector& p)
{
  return SmoothStep(0.38, 0.78, Fbm(c, p, 7));
}

// fBm wrapped into repeating sawtooth bands.
Float ModNoise(const PatternContext& c, const Vector& p)
{
  constexpr Float kBands = 4.0;
  const Float t = kBands * Fbm(c, p);
  return t - std::floor(t);
}

// Vertical streaks: fBm stretched along y (three times longer than wide).
Float Naki(const PatternContext& c, const Vector& p) { return 0.5 + 0.6 * (Fbm(c, p, 0, {3, 1, 3}) - 0.5); }

Float PlainNoise(const PatternContext& c, const Vector& p)
{
  return SumOctaves(c.octaves.Limited(1), p, {}, SignedMean(c),
                    [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
                      return MapSigned(c, c.lattice.Gradient(q, period, salt));
                    });
}

// Product of two independent fBm layers: mostly dark with bright knots. The
// knot layer is coarse by nature, so three octaves of it are enough.
Float Nutous(const PatternContext& c, const Vector& p)
{
  const PatternContext knots{c.lattice, c.octaves.Limited(3), c.absolute};
  return SmoothStep(0.08, 0.55, Fbm(c, p) * Fbm(knots, p, 29));
}

// fBm quantised into flat terraces joined by smooth risers, each riser half
// a terrace wide so that it stays a slope rather than a cliff.
Float Ober(const PatternContext& c, const Vector& p)
{
  constexpr Float kTerraces = 3.0;
  const Float t = kTerraces * SmoothStep(0.1, 0.9, Fbm(c, p));
  const Float level = std::floor(t);
  return (level + SmoothStep(0.5, 1.0, t - level)) / kTerraces;
}

Float TurbulencePattern(const PatternContext& c, const Vector& p) { return Turbulent(c, p, c.absolute); }

// Every octave samples noise at a point displaced by another noise of the
// same frequency, which varies the apparent lattice spacing.
Float VlNoise(const PatternContext& c, const Vector& p)
{
  constexpr Float kDistortion = 1.0;
  return SumOctaves(c.octaves, p, {}, SignedMean(c), [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
    const Lattice& l = c.lattice;
    const Vector offset = l.GradientTriple(q, period, salt + 31, salt + 47, salt + 73);
    return MapSigned(c, l.Gradient(q + offset * kDistortion, period, salt));
  });
}

// Turbulence on a domain bent by crossed sine waves.
Float WavyTurbulence(const PatternContext& c, const Vector& p)
{
  constexpr Float kWaves = 1.0;
  constexpr Float kAmplitude = 0.12;
  const Vector bend(std::sin(kTwoPi * kWaves * p.y), std::sin(kTwoPi * kWaves * p.z), std::sin(kTwoPi * kWaves * p.x));
  return Turbulent(c, p + bend * kAmplitude, c.absolute);
}

// Zigzag strata: layers across y, pushed around by fBm. Each layer is a
// smooth wave, so strata meet in rounded folds rather than creases.
Float Zada(const PatternContext& c, const Vector& p)
{
  constexpr Float kLayersPerUnit = 1.0;
  constexpr Float kPush = 0.5;
  constexpr Float kDepth = 0.3;
  const Float x = kLayersPerUnit * p.y + kPush * FbmSigned(c, p, 5);
  return FadeProfile(c, 0.5 + kDepth * std::sin(kTwoPi * x), 1.0 / kLayersPerUnit, 0.5);
}

}  // namespace qhost::noise
