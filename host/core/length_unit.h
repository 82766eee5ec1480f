// Units of length. The host's unit is the centimetre: the default cube is
// 200 units, 2 m, across.
#pragma once

#include <optional>
#include <string>

#include "hostapi/types.h"

namespace qhost {

struct LengthUnit
{
  const char* symbol; // "m", "cm", "mm"
  Float hostUnits;    // length of one unit in host units (centimetres)
};

inline constexpr LengthUnit kMetre{"m", 100.0};
inline constexpr LengthUnit kCentimetre{"cm", 1.0};
inline constexpr LengthUnit kMillimetre{"mm", 0.1};

// The unit with this symbol (m, cm or mm), or none.
std::optional<LengthUnit> FindLengthUnit(const std::string& symbol);

} // namespace qhost
