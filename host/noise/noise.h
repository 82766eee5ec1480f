// Seeded 3D noise the host offers to plug-ins: 33 pattern types, fractal
// helpers and a fixed-seed turbulence. Plain code, no knowledge of nodes.
#pragma once

#include <array>
#include <span>

#include "hostapi/types.h"
#include "host/noise/lattice.h"

namespace qhost {

struct NoiseTypeInfo
{
  Int32 type;
  const char* label;
  const char* description;
  Float minValue;
  Float maxValue;
  bool continuous;
};

constexpr Int32 kFirstNoiseType = 1;
constexpr Int32 kLastNoiseType = 33;
// Types outside 1..33 evaluate as plain gradient noise.
constexpr Int32 kFallbackNoiseType = 13;
// Octave counts above this are clamped.
constexpr Int32 kMaxNoiseOctaves = 16;

// Types 1..33 in numeric order.
std::span<const NoiseTypeInfo> AllNoiseTypes();
// Null outside 1..33.
const NoiseTypeInfo* FindNoiseType(Int32 type);

constexpr Int32 kFbmTableSize = 20;

// One generator per seed. Immutable after construction except InitFbm, so a
// generator may be shared by threads that only evaluate.
class NoiseGenerator
{
public:
  explicit NoiseGenerator(Int32 seed);

  // Evaluates noise `type` at p; see docs/noise.md for each argument and the
  // value range of every type.
  Float Noise(Int32 type, bool twoD, const Vector& p, Float time, Float octaves, bool absolute,
              Float sampleRadius, Float detailAttenuation, Int32 repeat) const;
  // Single-octave gradient noise in [0,1].
  Float SimpleNoise(const Vector& p) const;
  // qhost::RidgedMultifractal on this generator's lattice and domain offset.
  Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain) const;

  // Fills the generator's own octave weight table (see qhost::InitFbm); a new
  // generator starts with lacunarity 2 and h 1 over the whole table.
  void InitFbm(Int32 maxOctaves, Float lacunarity, Float h);
  const Float* FbmTable() const { return fbmTable_.data(); }

private:
  // p moved by the seed's offset and reduced to the natural period.
  Vector PlaceNatural(const Vector& p) const;

  noise::Lattice lattice_;
  // Where the seed puts the origin: a point inside the natural period, so a
  // new seed shows another part of every pattern, and no point of space (a
  // lattice point, where gradient noise is always zero) keeps its value.
  Vector domainOffset_;
  std::array<Float, kFbmTableSize> fbmTable_{};
};

// Fills table[i] = lacunarity^(-h*i) for i in 0..maxOctaves (clamped to the
// table) and zeroes the rest. Returns false, and fills the weights for
// lacunarity 2 and h 1, when table is null or the arguments are not finite or
// lacunarity is not positive.
bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h);

// Ridged multifractal on octave weights from InitFbm; frequencies double per
// octave. Result in [0,0.6]: each octave's signal is divided by its largest
// possible value for the given offset, and the sum is lowered so that a
// displaced surface does not fold in the valleys. Uses a fixed seed.
Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset,
                         Float gain);

// Fixed-seed turbulence in [0,1]: octaves of |noise| (absolute = true, sharp
// creases) or of a softened fold (absolute = false, rounded creases).
Float Turbulence(const Vector& p, Float octaves, bool absolute);

}  // namespace qhost
