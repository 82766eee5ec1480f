// Conversions between RGB and HSV colours, all components as Vector x, y, z.
#pragma once

#include "hostapi/types.h"

namespace qhost {

// (r, g, b) -> (h, s, v). For colours inside [0, 1] every output is in
// [0, 1]; v is the largest component and is not clamped, so bright colours
// keep v above 1. h is the hue as a fraction of a full turn, in [0, 1).
// A colour whose largest component is at or below 0 becomes (0, 0, 0).
// A colour with saturation below 0.001 counts as grey and becomes
// (0, 0, smallest component).
Vector RgbToHsv(const Vector& rgb);

// (h, s, v) -> (r, g, b). h wraps, so h = 1 gives the same colour as h = 0;
// a non-finite h counts as 0. Saturation below 0.001 gives the grey (v, v, v).
Vector HsvToRgb(const Vector& hsv);

// One component on the sRGB transfer curve (as colour pickers and hex codes
// give it), in [0, 1], to linear light.
Float SrgbToLinear(Float encoded);

} // namespace qhost
