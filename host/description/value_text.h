// Parameter values as the attribute manager shows them: percentages as %,
// angles in degrees, lengths in a chosen unit, switches as on/off.
#pragma once

#include "host/core/length_unit.h"
#include "hostapi/container.h"

namespace qhost {

// A Float with at most four decimals, trailing zeros dropped ("0.25", "100").
String FormatNumber(Float value);

// A stored Float as the number shown for unit: percent from a fraction,
// degrees from radians, lengths from host units in lengthUnit.
Float DisplayNumber(Float stored, Int32 unit, const LengthUnit& lengthUnit = kMetre);

// value shown for an element of type dtype (DTYPE_*) with unit (DESC_UNIT_*
// or 0); lengths, stored in host units, are shown in lengthUnit. The empty
// string for no value.
String FormatValue(const GeData& value, Int32 dtype, Int32 unit, const LengthUnit& lengthUnit = kMetre);

// "low .. high", ">= low", "<= high", or empty when both are DA_NIL.
String FormatRange(const GeData& low, const GeData& high, Int32 dtype, Int32 unit,
                   const LengthUnit& lengthUnit = kMetre);

// The symbol shown after values of unit: "%", "°", lengthUnit's symbol, or "".
String UnitSymbol(Int32 unit, const LengthUnit& lengthUnit = kMetre);

// An element's limit (DESC_MIN, DESC_MAX, DESC_MINSLIDER, DESC_MAXSLIDER), or
// DA_NIL when it has none: the element types' default settings use values at
// or beyond the Int32 range for "no limit".
GeData ElementLimit(const BaseContainer& settings, Int32 key);

} // namespace qhost
