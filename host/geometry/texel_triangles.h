// Which triangle each texel of a texture shows: triangles drawn in UV space,
// with the weights of the texel's centre in its triangle, so that a bake can
// interpolate any attribute of the surface at the point a texel stands for.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// Per texel, row 0 at the top (v grows upwards, as in the UV baker).
struct TexelTriangles
{
  Int32 width = 0;
  Int32 height = 0;
  // The triangle under the texel's centre and the weights of its first two
  // corners (the third is 1 - a - b); -1 only when no texel is covered.
  std::vector<Int32> triangle;
  std::vector<Float> weightA;
  std::vector<Float> weightB;
  // 1 where a triangle covers the texel's centre; 0 where the texel took the
  // triangle and weights of its nearest covered texel, so that filtering and
  // mipmaps at the edge of a UV island read the surface nearby (dilation).
  std::vector<std::uint8_t> covered;
  Int64 coveredCount = 0;

  std::size_t Count() const { return triangle.size(); }
};

// Draws triangles given by their corner UVs (u, v for corners a, b, c: six
// values per triangle) into a width x height texel grid, texel centres at
// u = (x + 0.5) / width, v = 1 - (y + 0.5) / height; a centre on an edge
// counts as inside. A texel covered by several triangles shows the last one.
// Texels no triangle covers take the triangle and weights of the nearest
// covered texel (breadth first over edge neighbours). Triangles with no area
// in UV space or with non-finite UVs are skipped. width, height > 0.
TexelTriangles CoverTexels(std::span<const Float> triangleUVs, Int32 width, Int32 height);

} // namespace qhost
