// Structural checks of a MeshData before algorithms that trust its indices.
#pragma once

#include <string>

#include "host/geometry/mesh_data.h"

namespace qhost {

// Passes when all points and UVs are finite, every polygon names existing,
// distinct points (a triangle's c == d being the one allowed repeat), the UVs
// are empty or one per polygon, and every selection names existing polygons.
// Otherwise throws std::invalid_argument describing the first problem found.
void ValidateMesh(const MeshData& mesh);

} // namespace qhost
