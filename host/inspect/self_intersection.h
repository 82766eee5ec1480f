// Pairs of polygons of one mesh that pass through each other.
#pragma once

#include <cstdint>
#include <span>

#include "hostapi/types.h"

namespace qhost {

// Number of unordered polygon pairs that share no point and whose triangles
// intersect (quads are split along a–c). Neighbours that share a point are
// left to the fold checks. Candidate pairs come from Embree's bounding-volume
// collision query, so the cost grows with the mesh, not with its square.
// `tolerance` is passed to TrianglesIntersect. Point indices must be valid.
std::int64_t CountSelfIntersectingPairs(std::span<const Vector> points, std::span<const CPolygon> polygons,
                                        Float tolerance);

} // namespace qhost
