// Per-vertex tangent frames for tangent-space normal maps.
#pragma once

#include "host/geometry/triangle_mesh.h"

namespace qhost {

// Fills mesh.tangents: per vertex, the sum of its triangles' UV tangents
// (weighted by the corner angle, so the result does not depend on how a
// surface is cut into triangles), made perpendicular to the vertex normal and
// unit length, with the handedness of the summed bitangent. A vertex whose
// triangles have no usable UV direction gets some unit vector perpendicular
// to its normal and w = 1. A baker and a viewer that build
// bitangent = cross(normal, tangent) * w from these values agree on the basis.
// Requires normals and UVs.
void ComputeVertexTangents(TriangleMesh& mesh);

// Unit vector perpendicular to unit n.
Vector AnyPerpendicular(const Vector& n);

} // namespace qhost
