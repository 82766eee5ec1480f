// A built rock's size as the application reports it.
#pragma once

#include <string>

#include "host/geometry/mesh_data.h"

namespace qhost::app {

// "2.68 x 2.71 x 2.66 m": the mesh's bounding box in metres; "empty" for a
// mesh without points.
std::string SizeInMetres(const MeshData& mesh);

} // namespace qhost::app
