// A rock's polygon mesh as an indexed triangle mesh for simplification,
// baking and writing.
#pragma once

#include <span>

#include "host/geometry/mesh_data.h"
#include "host/geometry/triangle_mesh.h"

namespace qhost {

// One vertex per distinct (point, normal, UV) combination at float precision,
// quads split along their a-c diagonal as the mesh writers do; cornerNormals
// holds four per polygon and the mesh must pass ValidateMeshForWrite. Without
// UVs the result has none.
TriangleMesh TrianglesOfPolygons(const MeshData& mesh, std::span<const Vector> cornerNormals);

} // namespace qhost
