// Where each texel of a texture lies on a mesh: the mesh's polygons drawn in
// UV space, so that a bake can sample a shader at the surface point a texel
// shows instead of at the texel's UV coordinate.
#pragma once

#include <cstdint>
#include <vector>

#include "host/geometry/mesh_data.h"

namespace qhost {

// Per texel, row 0 at the top (v grows upwards, as in the UV baker).
struct SurfaceTexels
{
  Int32 width = 0;
  Int32 height = 0;
  std::vector<Vector> points;  // surface point in the mesh's space
  std::vector<Vector> normals; // unit normal of the face the point lies on
  // 1 where a polygon covers the texel's centre; 0 where the texel took the
  // point of its nearest covered texel, so that filtering and mipmaps at the
  // edge of a UV island read the surface nearby instead of nothing.
  std::vector<std::uint8_t> covered;
  Int64 coveredCount = 0;
};

// Draws every polygon of mesh (quads as two triangles a-b-c, a-c-d) into a
// width x height texel grid, texel centres at u = (x + 0.5) / width,
// v = 1 - (y + 0.5) / height, interpolating the corner points linearly. A
// texel covered by several polygons shows the last one. Texels no polygon
// covers take the point and normal of the nearest covered texel (breadth
// first over edge neighbours); when no texel is covered, all points stay at
// the origin and coveredCount is 0.
// Requires mesh.HasUVs(), point indices in range, width and height > 0.
SurfaceTexels MapSurfaceTexels(const MeshData& mesh, Int32 width, Int32 height);

} // namespace qhost
