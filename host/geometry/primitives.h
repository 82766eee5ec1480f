// Parametric primitives centred at the origin, with outward winding (the normal
// (P[b] - P[d]) x (P[c] - P[a]) points away from the inside) and corner UVs.
// Texture v grows downwards, like image rows: v = 0 is the top of the texture.
// Segment counts below the minimum are raised to it, counts above
// kMaxPrimitiveSegments lowered to that.
#pragma once

#include "host/geometry/mesh_data.h"

namespace qhost {

// The most segments along one side: a cube of 500 x 500 x 500 segments is
// 1.5 M quads, about the largest mesh the modeling commands handle in memory
// well on a workstation, and far below where the point indices would overflow.
constexpr Int32 kMaxPrimitiveSegments = 500;

// Box with edge lengths `size`, split into segX x segY x segZ quads along its
// axes (at least 1 each). Watertight: the faces share their border points.
// UVs: the six faces fill a 3 x 2 grid of [0,1]^2, top row +X, -X, +Y and
// bottom row -Y, +Z, -Z; on the side faces v runs downwards along -Y.
MeshData MakeCube(Vector size, Int32 segX, Int32 segY, Int32 segZ);

// UV sphere: `segments` (at least 3) columns around the Y axis and
// max(2, segments / 2) rows from pole to pole. The rows next to the poles are
// triangles that share the single pole point, the others quads; watertight.
// UVs: u follows longitude (a seam at +X where u goes from 1 back to 0), v goes
// from 0 at the +Y pole to 1 at the -Y pole.
MeshData MakeSphere(Float radius, Int32 segments);

// Rectangle in the XZ plane facing +Y: `width` along X, `height` along Z,
// segW x segH quads (at least 1 each). UVs span [0,1]^2 with u along +X and
// v along +Z (the -Z edge is the top of the texture).
MeshData MakePlane(Float width, Float height, Int32 segW, Int32 segH);

} // namespace qhost
