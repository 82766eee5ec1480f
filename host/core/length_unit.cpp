#include "host/core/length_unit.h"

namespace qhost {

std::optional<LengthUnit> FindLengthUnit(const std::string& symbol)
{
  for (const LengthUnit& unit : {kMetre, kCentimetre, kMillimetre})
    if (symbol == unit.symbol)
      return unit;
  return std::nullopt;
}

} // namespace qhost
