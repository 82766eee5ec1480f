// The attribute-manager view of a node as JSON, for a page that draws the
// controls from it: groups with their parent and columns, and per parameter
// its ID, identifier, label, type, unit, value, limits, slider range,
// choices and whether it is enabled. Numbers are given in the unit shown
// (percent, degrees, lengths in the chosen unit), the unit the page types
// values back in.
#pragma once

#include <nlohmann/json.hpp>

#include "host/description/attribute_view.h"

namespace qhost {

nlohmann::json AttributeViewJson(const AttributeView& view, const LengthUnit& lengthUnit);

} // namespace qhost
