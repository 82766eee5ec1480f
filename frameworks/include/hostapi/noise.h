// The host's noise library.
#pragma once

#include "hostapi/types.h"

// Size of the caller-owned table that InitFbm fills.
constexpr Int32 kFbmTableSize = 20;

class GeNoise
{
public:
  static GeNoise* Alloc(Int32 seed);
  static void Free(GeNoise*& noise);

  // Fills the generator's own fractal table.
  virtual Bool InitFbm(Int32 maxOctaves, Float lacunarity, Float h) = 0;
  // Noise type (1 ... 33) at p; see the host's noise documentation for ranges.
  virtual Float Noise(Int32 type, Bool twoD, const Vector& p, Float time, Float octaves, Bool absolute,
                      Float sampleRadius, Float detailAttenuation, Int32 repeat) const = 0;
  // The generator's simplest noise: one point, no octaves, in [0, 1].
  virtual Float SNoise(const Vector& p) const = 0;

protected:
  virtual ~GeNoise() = default;
};

// Fills table (kFbmTableSize entries) with the fractal exponents.
Bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h);
Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain);
