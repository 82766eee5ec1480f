// Checks every mesh reader applies to what it takes from a file, so a bad
// index or coordinate is refused with the file and element named, whatever
// the format.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "host/io/mesh_file.h"

namespace qhost {

[[noreturn]] void ThrowPointIndexOutOfRange(const std::string& where, std::int64_t index, std::int64_t firstIndex,
                                            std::size_t pointCount);
[[noreturn]] void ThrowBadCoordinate(const std::string& where, const Vector& position);

// index counts from firstIndex (1 in OBJ, 0 elsewhere); where() names the
// file and element and is only called on failure.
template <typename Where>
void RequirePointIndex(std::int64_t index, std::int64_t firstIndex, std::size_t pointCount, Where&& where)
{
  if (index < firstIndex || static_cast<std::uint64_t>(index - firstIndex) >= pointCount)
    ThrowPointIndexOutOfRange(where(), index, firstIndex, pointCount);
}

// Finite and within kMaxMeshCoordinate in every component.
template <typename Where>
void RequireCoordinate(const Vector& position, Where&& where)
{
  // Written so that NaN fails too.
  if (!(std::abs(position.x) <= kMaxMeshCoordinate && std::abs(position.y) <= kMaxMeshCoordinate &&
        std::abs(position.z) <= kMaxMeshCoordinate))
    ThrowBadCoordinate(where(), position);
}

} // namespace qhost
