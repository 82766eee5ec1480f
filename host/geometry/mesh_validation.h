// Structural checks of a MeshData before algorithms that trust its indices.
#pragma once

#include <string>

#include "host/geometry/mesh_data.h"

namespace qhost {

// True when all points and UVs are finite, every polygon names existing,
// distinct points (a triangle's c == d being the one allowed repeat), the UVs
// are empty or one per polygon, and every selection names existing polygons.
// Otherwise false, with the first problem found described in `error`.
bool ValidateMesh(const MeshData& mesh, std::string& error);

} // namespace qhost
