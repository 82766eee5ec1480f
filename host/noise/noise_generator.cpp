#include <algorithm>
#include <cmath>

#include "host/noise/noise.h"
#include "host/noise/patterns.h"

namespace qhost {
namespace {

using noise::OctaveSetup;

Float FiniteOr(Float x, Float fallback) { return std::isfinite(x) ? x : fallback; }

// The seed's offset added to an input coordinate that is already reduced to
// the period, reduced again so lattice arithmetic stays small.
Float Place(Float x, Float offset, Int64 period, bool tiling)
{
  const Float moved = noise::WrapCoordinate(FiniteOr(x, 0.0), period, tiling) + offset;
  // Untiled, the reduced coordinate and the offset each lie in [0,256].
  return tiling ? noise::WrapCoordinate(moved, period, tiling) : noise::WrapTwoNaturalPeriods(moved);
}

Vector SeedOffset(const noise::Lattice& lattice)
{
  constexpr Float kSpan = static_cast<Float>(noise::kNaturalPeriod);
  return {kSpan * lattice.HashValue(1, 0, 0), kSpan * lattice.HashValue(0, 1, 0), kSpan * lattice.HashValue(0, 0, 1)};
}

OctaveSetup MakeOctaveSetup(Float octaves, Float sampleRadius, Float detailAttenuation, Float time, Int32 repeat)
{
  OctaveSetup s;
  // NaN and anything below one octave evaluate one octave.
  const Float n = octaves >= 1.0 ? std::min(octaves, static_cast<Float>(kMaxNoiseOctaves)) : 1.0;
  const Float whole = std::floor(n);
  s.count = static_cast<Int32>(whole);
  if (n > whole)
  {
    ++s.count;
    s.lastWeight = n - whole;
  }
  // Attenuation 0 keeps the classic halving per octave, 1 drops to 0.15.
  constexpr Float kBasePersistence = 0.5;
  constexpr Float kAttenuationStrength = 0.7;
  const Float attenuation = std::clamp(FiniteOr(detailAttenuation, 0.0), 0.0, 1.0);
  s.persistence = kBasePersistence * (1.0 - kAttenuationStrength * attenuation);
  // The radius is given in thousandths of the input unit: callers pass
  // radii of a few units for shading footprints, which must only soften the
  // finest detail, never the pattern itself.
  constexpr Float kSampleRadiusUnit = 0.001;
  s.sampleRadius = std::max(0.0, FiniteOr(sampleRadius, 0.0)) * kSampleRadiusUnit;
  s.time = FiniteOr(time, 0.0);
  if (repeat > 0)
  {
    s.period = repeat;
    s.tiling = true;
  }
  return s;
}

}  // namespace

namespace noise {

PatternFunction PatternForType(Int32 type)
{
  static constexpr PatternFunction kPatterns[kLastNoiseType + 1] = {
      nullptr,        BoxNoise,       BlisteredTurbulence, Buya,       CellNoise,     Cranal,
      Dents,          DisplacedTurbulence, FbmPattern,     Hama,       Luka,          ModNoise,
      Naki,           PlainNoise,     Nutous,              Ober,       Pezo,          Poxo,
      RandomPattern,  Sema,           Stupl,               TurbulencePattern, VlNoise, WavyTurbulence,
      CellVoronoi,    DisplacedVoronoi, SparseConvolutionPattern, Voronoi1, Voronoi2, Voronoi3,
      Zada,           Fire,           Electric,            Gaseous};
  if (type < kFirstNoiseType || type > kLastNoiseType)
    type = kFallbackNoiseType;
  return kPatterns[type];
}

}  // namespace noise

NoiseGenerator::NoiseGenerator(Int32 seed) : lattice_(seed), domainOffset_(SeedOffset(lattice_))
{
  InitFbm(kFbmTableSize - 1, 2.0, 1.0);
}

Float NoiseGenerator::Noise(Int32 type, bool twoD, const Vector& p, Float time, Float octaves, bool absolute,
                            Float sampleRadius, Float detailAttenuation, Int32 repeat) const
{
  const noise::PatternContext context{lattice_, MakeOctaveSetup(octaves, sampleRadius, detailAttenuation, time, repeat),
                                      absolute};
  const OctaveSetup& s = context.octaves;
  const Vector q(Place(p.x, domainOffset_.x, s.period, s.tiling), Place(p.y, domainOffset_.y, s.period, s.tiling),
                 Place(twoD ? 0.0 : p.z, domainOffset_.z, s.period, s.tiling));
  return noise::PatternForType(type)(context, q);
}

Vector NoiseGenerator::PlaceNatural(const Vector& p) const
{
  return {Place(p.x, domainOffset_.x, noise::kNaturalPeriod, false), Place(p.y, domainOffset_.y, noise::kNaturalPeriod, false),
          Place(p.z, domainOffset_.z, noise::kNaturalPeriod, false)};
}

Float NoiseGenerator::SimpleNoise(const Vector& p) const
{
  const noise::PatternContext context{lattice_, OctaveSetup{}, false};
  return noise::PlainNoise(context, PlaceNatural(p));
}

Float NoiseGenerator::RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset,
                                         Float gain) const
{
  return noise::Ridged(lattice_, table, PlaceNatural(p), octaves, offset, gain);
}

void NoiseGenerator::InitFbm(Int32 maxOctaves, Float lacunarity, Float h)
{
  qhost::InitFbm(fbmTable_.data(), maxOctaves, lacunarity, h);
}

}  // namespace qhost
