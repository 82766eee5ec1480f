// Types built from cells and Voronoi feature points.
#include <algorithm>
#include <cmath>

#include "host/noise/patterns.h"

namespace qhost::noise {
namespace {

// Typical largest distances to the nearest and second nearest point, used to
// map distances into [0,1].
constexpr Float kF1Span = 1.0;
constexpr Float kF2Span = 1.4;
constexpr Float kEdgeSpan = 1.0;

Float EdgeWidth(const CellularSample& s) { return s.f2 - s.f1; }

}  // namespace

// Turbulence with round blisters pushed up through it: smooth domes, one per
// cell, that rise from the turbulence without a rim.
Float BlisteredTurbulence(const PatternContext& c, const Vector& p)
{
  constexpr Float kBlisterRadius = 0.5;
  constexpr Float kBlisterHeight = 0.55;
  const Float turbulence = Turbulent(c, p, c.absolute);
  const Float blister = CellularPattern(c, p, 1, 0.2, [](Float f1) {
    return kBlisterHeight * (1.0 - SmoothStep(0.0, kBlisterRadius, f1));
  });
  return turbulence + (1.0 - turbulence) * blister;
}

Float CellNoise(const PatternContext& c, const Vector& p)
{
  return SumOctaves(c.octaves.Limited(1), p, {}, 0.5, [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
    return c.lattice.CellValue(q, period, salt);
  });
}

// Octaves of round bowls around feature points, like a hammered surface.
Float Dents(const PatternContext& c, const Vector& p)
{
  constexpr Int32 kMaxDentOctaves = 6;
  constexpr Float kMean = 0.7;
  return SumOctaves(c.octaves.Limited(kMaxDentOctaves), p, {}, kMean,
                    [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
                      return std::sqrt(std::min(1.0, c.lattice.NearestDistance(q, period, salt)));
                    });
}

// Dried mud: fBm plates separated by cracks along the cell edges. The cracks
// are grooves with rounded floors, wide enough to stay slopes when displaced.
Float Pezo(const PatternContext& c, const Vector& p)
{
  constexpr Float kCrackWidth = 0.5;
  constexpr Float kCrackDepth = 0.6;
  const Float crack = CellularPattern(c, p, 1, 0.8, [](const CellularSample& s) {
    return SmoothStep(0.0, kCrackWidth, EdgeWidth(s));
  });
  return (1.0 - kCrackDepth + kCrackDepth * crack) * (0.35 + 0.65 * Fbm(c, p));
}

// Round pits of noise-driven size scattered over a mottled surface.
Float Poxo(const PatternContext& c, const Vector& p)
{
  constexpr Float kPitDepth = 0.6;
  const Float base = Fbm(c, p);
  const Float radius = 0.3 + 0.2 * base;
  const Float pit = CellularPattern(c, p, 1, 0.1, [radius](Float f1) {
    return 1.0 - SmoothStep(0.2 * radius, radius, f1);
  });
  return (1.0 - kPitDepth * pit) * (0.5 + 0.5 * base);
}

// Fine white noise: an independent value per 1/64 unit cell.
Float RandomPattern(const PatternContext& c, const Vector& p)
{
  constexpr Int64 kResolution = 64;
  // The hash has no period of its own, so untiled cells wrap at the natural period.
  constexpr Int64 kUntiledPeriod = kNaturalPeriod * kResolution;
  const auto wrap = [](Float x, Int64 period) {
    const Int64 wrapped = FloorToInt(x) % (period > 0 ? period : kUntiledPeriod);
    return wrapped < 0 ? wrapped + (period > 0 ? period : kUntiledPeriod) : wrapped;
  };
  return SumOctaves(c.octaves.Limited(1), p, {kResolution, kResolution, kResolution}, 0.5,
                    [&](const Vector& q, const LatticePeriod& period, UInt32) {
                      return c.lattice.HashValue(wrap(q.x, period.x), wrap(q.y, period.y), wrap(q.z, period.z));
                    });
}

// Mosaic: every Voronoi cell one flat tone, sloping down into wide grout
// lines, so neighbouring tiles of different height never meet in a step.
Float Sema(const PatternContext& c, const Vector& p)
{
  constexpr Float kGroutWidth = 0.5;
  return CellularPattern(c, p, 1, 0.45, [&](const CellularSample& s) {
    return 0.2 + 0.6 * c.lattice.ValueOfHash(s.nearest) * SmoothStep(0.0, kGroutWidth, EdgeWidth(s));
  });
}

// Halftone stipple: round dots on jittered points whose height follows fBm,
// on a faintly mottled ground. Dots are smooth bumps half a cell across, low
// where the fBm is dark.
Float Stupl(const PatternContext& c, const Vector& p)
{
  constexpr Float kDotRadius = 0.5;
  constexpr Float kGround = 0.2;
  const Float fbm = Fbm(c, p);
  const Float height = 0.7 * SmoothStep(0.2, 0.8, fbm);
  return kGround * fbm + CellularPattern(c, p, 1, 0.2, [height](Float f1) {
           return height * (1.0 - SmoothStep(0.0, kDotRadius, f1));
         });
}

Float CellVoronoi(const PatternContext& c, const Vector& p)
{
  return CellularPattern(c, p, 1, 0.5, [&](const CellularSample& s) { return c.lattice.ValueOfHash(s.nearest); });
}

Float DisplacedVoronoi(const PatternContext& c, const Vector& p) { return Voronoi1(c, p + Warp(c, p, 0.6)); }

Float SparseConvolutionPattern(const PatternContext& c, const Vector& p)
{
  constexpr Int32 kMaxSparseOctaves = 3;
  constexpr Float kContrast = 0.9;
  return SumOctaves(c.octaves.Limited(kMaxSparseOctaves), p, {2, 2, 2}, 0.5,
                    [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
                      return 0.5 + 0.5 * std::tanh(kContrast * c.lattice.SparseConvolution(q, period, salt));
                    });
}

Float Voronoi1(const PatternContext& c, const Vector& p)
{
  return CellularPattern(c, p, 1, 0.5, [](Float f1) { return std::min(1.0, f1 / kF1Span); });
}

Float Voronoi2(const PatternContext& c, const Vector& p)
{
  return CellularPattern(c, p, 1, 0.6, [](const CellularSample& s) { return std::min(1.0, s.f2 / kF2Span); });
}

Float Voronoi3(const PatternContext& c, const Vector& p)
{
  // F2 - F1 folds to zero at a cell edge; rounding the fold keeps the
  // valley along the edge from becoming a crease.
  constexpr Float kValleyRounding = 0.15;
  return CellularPattern(c, p, 1, 0.3, [](const CellularSample& s) {
    return std::min(1.0, SoftAbs(EdgeWidth(s), kValleyRounding) / kEdgeSpan);
  });
}

}  // namespace qhost::noise
