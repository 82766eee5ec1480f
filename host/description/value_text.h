// Parameter values as the attribute manager shows them: percentages as %,
// angles in degrees, switches as on/off.
#pragma once

#include "hostapi/container.h"

namespace qhost {

// A Float with at most four decimals, trailing zeros dropped ("0.25", "100").
String FormatNumber(Float value);

// value shown for an element of type dtype (DTYPE_*) with unit (DESC_UNIT_*
// or 0). The empty string for no value.
String FormatValue(const GeData& value, Int32 dtype, Int32 unit);

} // namespace qhost
