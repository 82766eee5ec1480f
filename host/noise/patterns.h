// The building blocks the 33 noise types are composed of, and the types
// themselves. Every pattern gets a point already reduced to the period.
#pragma once

#include <cmath>
#include <type_traits>

#include "host/noise/lattice.h"
#include "host/noise/octaves.h"

namespace qhost::noise {

struct PatternContext
{
  const Lattice& lattice;
  OctaveSetup octaves;
  bool absolute;
};

using PatternFunction = Float (*)(const PatternContext&, const Vector&);

// Pattern of a type in 1..33, plain noise for anything else.
PatternFunction PatternForType(Int32 type);

// |x| with its corner rounded over about `rounding`: equal to 0 at 0, smooth
// everywhere, and within `rounding` of |x|. Displacement types use it where
// a hard fold would put a crease of unbounded sharpness into a surface.
inline Float SoftAbs(Float x, Float rounding) { return std::sqrt(x * x + rounding * rounding) - rounding; }

// Mean of |gradient noise|: the fade target of folded octaves.
constexpr Float kFoldedMean = 0.22;

// Fractal gradient noise in [0,1]: remapped, or folded with abs when the
// context asks for absolute values.
Float Fbm(const PatternContext& c, const Vector& p, UInt32 salt = 0, AxisScale scale = {});
// Fractal gradient noise in [-1,1], never folded.
Float FbmSigned(const PatternContext& c, const Vector& p, UInt32 salt = 0, AxisScale scale = {});
// Fractal folded noise in [0,1]; a hard abs fold when `hardFold`, otherwise a
// rounded fold without creases.
Float Turbulent(const PatternContext& c, const Vector& p, bool hardFold, AxisScale scale = {});
// Smooth displacement with components in [-amount, amount], at most three octaves.
Vector Warp(const PatternContext& c, const Vector& p, Float amount);
// Cellular sample at one scale; the caller's mapping fades to `mean` when the
// cells are too small for the filter. A mapping that takes a Float gets the
// distance to the nearest point alone, which is found faster.
template <class Mapping>
Float CellularPattern(const PatternContext& c, const Vector& p, Int64 scale, Float mean, Mapping&& map)
{
  return SumOctaves(c.octaves.Limited(1), p, {scale, scale, scale}, mean,
                    [&](const Vector& q, const LatticePeriod& period, UInt32 salt) {
                      if constexpr (std::is_invocable_v<Mapping, Float>)
                        return map(c.lattice.NearestDistance(q, period, salt));
                      else
                        return map(c.lattice.Cellular(q, period, salt));
                    });
}

// Ridged multifractal on octave weights from InitFbm at a point reduced to
// the natural period; see qhost::RidgedMultifractal.
Float Ridged(const Lattice& lattice, const Float* table, const Vector& q, Float octaves, Float offset, Float gain);

// Lattice and fractal types.
Float BoxNoise(const PatternContext& c, const Vector& p);
Float Buya(const PatternContext& c, const Vector& p);
Float Cranal(const PatternContext& c, const Vector& p);
Float DisplacedTurbulence(const PatternContext& c, const Vector& p);
Float FbmPattern(const PatternContext& c, const Vector& p);
Float Hama(const PatternContext& c, const Vector& p);
Float Luka(const PatternContext& c, const Vector& p);
Float ModNoise(const PatternContext& c, const Vector& p);
Float Naki(const PatternContext& c, const Vector& p);
Float PlainNoise(const PatternContext& c, const Vector& p);
Float Nutous(const PatternContext& c, const Vector& p);
Float Ober(const PatternContext& c, const Vector& p);
Float TurbulencePattern(const PatternContext& c, const Vector& p);
Float VlNoise(const PatternContext& c, const Vector& p);
Float WavyTurbulence(const PatternContext& c, const Vector& p);
Float Zada(const PatternContext& c, const Vector& p);

// Cell and Voronoi types.
Float BlisteredTurbulence(const PatternContext& c, const Vector& p);
Float CellNoise(const PatternContext& c, const Vector& p);
Float Dents(const PatternContext& c, const Vector& p);
Float Pezo(const PatternContext& c, const Vector& p);
Float Poxo(const PatternContext& c, const Vector& p);
Float RandomPattern(const PatternContext& c, const Vector& p);
Float Sema(const PatternContext& c, const Vector& p);
Float Stupl(const PatternContext& c, const Vector& p);
Float CellVoronoi(const PatternContext& c, const Vector& p);
Float DisplacedVoronoi(const PatternContext& c, const Vector& p);
Float SparseConvolutionPattern(const PatternContext& c, const Vector& p);
Float Voronoi1(const PatternContext& c, const Vector& p);
Float Voronoi2(const PatternContext& c, const Vector& p);
Float Voronoi3(const PatternContext& c, const Vector& p);

// Animated effect types.
Float Fire(const PatternContext& c, const Vector& p);
Float Electric(const PatternContext& c, const Vector& p);
Float Gaseous(const PatternContext& c, const Vector& p);

}  // namespace qhost::noise
