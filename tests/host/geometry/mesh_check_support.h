// Independent checks on meshes shared by the geometry tests.
#pragma once

#include <map>
#include <utility>

#include "host/geometry/mesh_data.h"

namespace qhost::test {

// How many polygon sides lie on each undirected edge (low point, high point).
std::map<std::pair<Int32, Int32>, Int32> CountEdgeUses(const MeshData& mesh);

// Every edge is shared by exactly two polygons.
bool IsClosed(const MeshData& mesh);

// Every directed side appears once, so neighbours wind the same way.
bool IsConsistentlyWound(const MeshData& mesh);

// No point and no UV coordinate is NaN or infinite.
bool AllFinite(const MeshData& mesh);

// Average of the polygon's distinct corner points.
Vector Centroid(const MeshData& mesh, const CPolygon& polygon);

// (P[b] - P[d]) x (P[c] - P[a]), the winding normal.
Vector WindingNormal(const MeshData& mesh, const CPolygon& polygon);

// Every polygon's winding normal points away from the origin.
bool FacesAwayFromOrigin(const MeshData& mesh);

// Volume enclosed by a closed mesh, positive when its winding faces outwards.
Float SignedVolume(const MeshData& mesh);

} // namespace qhost::test
