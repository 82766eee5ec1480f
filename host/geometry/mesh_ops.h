// Whole-mesh operations used when assembling and exporting geometry.
#pragma once

#include <vector>

#include "host/geometry/mesh_data.h"

namespace qhost {

// Appends `src` to `dst` with its points transformed by `transform`. Polygon
// indices are offset, selections with the same name are merged (others are
// added), and UVs are kept: when only one side has UVs, the other side's
// polygons get zero UVs. A mirroring transform (negative determinant) reverses
// the appended polygons' winding so their normals still face outwards.
// `src` must not be `dst`.
void AppendMesh(MeshData& dst, const MeshData& src, const Matrix& transform);

// One unit normal per polygon corner, four per polygon (a triangle's d repeats
// its c), indexed polygon * 4 + corner. Corners are smoothed with the
// neighbouring polygons reached across edges whose face normals differ by at
// most `phongAngle` radians; with `phongLimit` false every shared edge is
// smooth. Polygon normals are area weighted. Point indices must be valid. The
// result is the same, bit for bit, whatever the thread count.
std::vector<Vector> ComputeCornerNormals(const MeshData& mesh, bool phongLimit, Float phongAngle);

} // namespace qhost
