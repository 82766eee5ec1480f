// Triangle–triangle intersection test (floating point, with a tolerance) for
// mesh inspection.
#pragma once

#include "hostapi/types.h"

namespace qhost {

// True when the two triangles share interior points: they cross, or they are
// coplanar and overlap with a positive area. Triangles that only touch along
// a point or an edge, and degenerate triangles, do not count.
// `tolerance` is the distance below which a point counts as lying on a plane;
// pass a small fraction of the mesh size.
bool TrianglesIntersect(const Vector (&t1)[3], const Vector (&t2)[3], Float tolerance);

} // namespace qhost
