// `--field SHAPE,X,Y,Z,INNER,OUTER`: a field object that weights the layers.
#pragma once

#include <string>

#include "host/core/length_unit.h"
#include "hostapi/api.h"

namespace qhost::app {

struct FieldArgument
{
  Int32 type = 0; // Ofield_*
  Vector position; // host units
  Float inner = 0.0;
  Float outer = 100.0;
};

// SHAPE is spherical, linear or box; the lengths are in unit unless they
// carry a suffix (m, cm, mm). Throws UsageError naming the argument.
FieldArgument ParseFieldArgument(const std::string& text, const LengthUnit& unit);

} // namespace qhost::app
