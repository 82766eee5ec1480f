// How a deformation changed a mesh: the same polygons before and after.
#pragma once

#include <cstdint>

#include "host/geometry/mesh_data.h"

namespace qhost {

// Faces whose normal after the deformation points more than 90° away from
// the same face's normal before it: the surface turned inside out there.
// Both meshes must have the same polygons; degenerate faces are skipped.
std::int64_t CountFacesTurnedFrom(const MeshData& before, const MeshData& after);

} // namespace qhost
