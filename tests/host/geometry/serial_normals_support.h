// The straightforward one-thread way to find edge uses and corner normals: one
// union-find over all corner slots, joined edge by edge. The parallel versions
// must give the same bits.
#pragma once

#include <vector>

#include "host/geometry/edge_uses.h"
#include "host/geometry/mesh_data.h"

namespace qhost::test {

std::vector<EdgeUse> SerialEdgeUses(const std::vector<CPolygon>& polygons);

std::vector<Vector> SerialCornerNormals(const MeshData& mesh, bool phongLimit, Float phongAngle);

// Meshes that stress smoothing: a crease-subdivided, roughened sphere; and a
// small mesh of awkward polygons (repeated points, zero area, two sides on one
// edge, non-manifold edges, repeated faces, a point with many edges and an edge
// with more than 64 face directions around it).
MeshData RoughSubdividedSphere();
MeshData AwkwardPolygons();

} // namespace qhost::test
