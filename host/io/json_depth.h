// The nesting depth of JSON text, measured without parsing it, so a file of
// deeply nested brackets is refused before a recursive parser runs out of
// stack.
#pragma once

#include <cstddef>
#include <string_view>

namespace qhost {

// Deepest bracket nesting of JSON text; brackets inside strings do not count.
std::size_t JsonNestingDepth(std::string_view text);

} // namespace qhost
