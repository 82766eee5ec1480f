// Falloff shapes of field objects: how strongly a field acts at a point.
// Plain code; the field objects of the scene feed it their parameters.
#pragma once

#include "hostapi/types.h"

namespace qhost {

// Built-in parameters of every field object.
enum : Int32
{
  FIELD_STRENGTH = 1000, // Float, 1.0: the value at full effect
  FIELD_INNER = 1001,    // Float, 0: distance up to which the field is at full effect
  FIELD_OUTER = 1002,    // Float, 100: distance from which the field has no effect
  FIELD_INVERT = 1003,   // Bool, false: swaps full and no effect
};

enum class FalloffShape : Int32
{
  Spherical, // distance from the object's centre
  Linear,    // position along the object's Z axis
  Box,       // largest distance along the object's axes (a cube)
};

struct Falloff
{
  FalloffShape shape = FalloffShape::Spherical;
  Float strength = 1.0;
  Float inner = 0.0;
  Float outer = 100.0;
  bool invert = false;
  Matrix worldToLocal; // the inverse of the field object's global matrix
};

// The falloff at a point in world space: full effect (strength) up to the inner
// distance, none from the outer distance on, a smooth step in between; inverted,
// the other way round.
Float EvaluateFalloff(const Falloff& falloff, const Vector& worldPoint);

} // namespace qhost
