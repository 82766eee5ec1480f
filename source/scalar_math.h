// Scalar helpers in the style of a shading language.
#pragma once

#include <cmath>

#include "hostapi/types.h"

// The fractional part x - floor(x); in [0, 1) for finite x, also for negative x.
inline Float fract(Float x) { return x - std::floor(x); }

// Maps x linearly from [from0, from1] onto [to0, to1], without clamping.
// An empty source range divides by zero and gives a non-finite result.
inline Float remap(Float from0, Float from1, Float to0, Float to1, Float x)
{
  const Float k = (to1 - to0) / (from1 - from0);
  return (to1 - k * from1) + k * x;
}
