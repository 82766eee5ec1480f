// Small triangle meshes for the level-of-detail tests.
#pragma once

#include "host/geometry/triangle_mesh.h"

namespace qhost::testing {

// A closed, bumpy UV sphere of radius about 100 with a UV seam and poles
// (corners with their own UVs), normals pointing outwards.
TriangleMesh BumpySphere(Int32 segments);

// A closed sphere of radius about 100 with the same bumps, made from a cube
// of segments^3 quads, so its UV layout is the cube's six islands, like a rock
// built from the default cube.
TriangleMesh BumpyRoundedCube(Int32 segments);

// An open grid in the XZ plane, 200 x 200, facing +Y, UVs over [0, 1]^2.
TriangleMesh FlatGrid(Int32 segments);

// Welds vertices by position and counts the edges whose sides do not pair up
// into opposite directions (a border, or a surface wound inconsistently
// across the edge); 0 for a closed, consistently wound surface.
std::size_t OpenEdges(const TriangleMesh& mesh);

} // namespace qhost::testing
