// Measures how a texture baked over a mesh's UV layout looks at the layout's
// seams: the colour step between the two sides of every seam edge, against
// the steps between neighbouring texels that show neighbouring surface points.
// A seamless texture has no larger steps across its seams than within its
// islands. Header-only, shared by the shading and the CLI tests.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "host/geometry/surface_texels.h"
#include "host/io/png_image.h"

namespace qhost::test {

struct SeamSteps
{
  Int32 largestAcrossSeams = 0;
  Int32 largestBetweenNeighbours = 0;
  size_t seamSamples = 0;
};

// The largest step of one colour channel between two pixels.
inline Int32 ColorStep(const Image& image, size_t a, size_t b)
{
  Int32 largest = 0;
  const size_t channels = size_t(image.channels);
  for (size_t c = 0; c < 3; ++c)
    largest = std::max(largest, std::abs(Int32(image.samples[a * channels + c]) - Int32(image.samples[b * channels + c])));
  return largest;
}

// The texel that shows uv, moved half a texel towards the polygon's UV centre
// so that it lies inside the polygon's island.
inline size_t TexelInside(const Image& image, const Vector& uv, const Vector& centre)
{
  const Vector at = uv + (centre - uv).GetNormalized() * (0.5 / image.width);
  const Int32 x = std::clamp(Int32(at.x * image.width), 0, image.width - 1);
  const Int32 y = std::clamp(Int32((1.0 - at.y) * image.height), 0, image.height - 1);
  return size_t(y) * size_t(image.width) + size_t(x);
}

// Pairs of texels on both sides of every seam edge (an edge whose two
// polygons give its points different UVs), at several places along it.
inline std::vector<std::pair<size_t, size_t>> SeamTexelPairs(const Image& image, const MeshData& mesh)
{
  struct Side
  {
    Vector uvA, uvB, centre;
  };
  std::map<std::pair<Int32, Int32>, std::vector<Side>> edges;
  for (size_t p = 0; p < mesh.polygons.size(); ++p)
  {
    const CPolygon& poly = mesh.polygons[p];
    const Int32 points[4] = {poly.a, poly.b, poly.c, poly.d};
    const Vector uvs[4] = {mesh.uvs[p].a, mesh.uvs[p].b, mesh.uvs[p].c, mesh.uvs[p].d};
    const Int32 corners = poly.IsTriangle() ? 3 : 4;
    Vector centre;
    for (Int32 k = 0; k < corners; ++k)
      centre = centre + uvs[k] / Float(corners);
    for (Int32 k = 0; k < corners; ++k)
    {
      const Int32 next = (k + 1) % corners;
      const bool forward = points[k] < points[next];
      edges[{std::min(points[k], points[next]), std::max(points[k], points[next])}].push_back(
          {forward ? uvs[k] : uvs[next], forward ? uvs[next] : uvs[k], centre});
    }
  }
  std::vector<std::pair<size_t, size_t>> pairs;
  for (const auto& [edge, sides] : edges)
  {
    if (sides.size() != 2 || (sides[0].uvA == sides[1].uvA && sides[0].uvB == sides[1].uvB))
      continue;
    for (const Float t : {0.2, 0.4, 0.6, 0.8})
    {
      const auto along = [t](const Side& s) { return s.uvA + (s.uvB - s.uvA) * t; };
      pairs.emplace_back(TexelInside(image, along(sides[0]), sides[0].centre),
                         TexelInside(image, along(sides[1]), sides[1].centre));
    }
  }
  return pairs;
}

// Steps across the seams, and between edge-neighbouring covered texels whose
// surface points lie less than twice the median neighbour distance apart
// (texels of one island, not of two islands that touch in the layout).
// texels must map mesh onto a grid of the image's size.
inline SeamSteps MeasureSeamSteps(const Image& image, const MeshData& mesh, const SurfaceTexels& texels)
{
  SeamSteps steps;
  const auto pairs = SeamTexelPairs(image, mesh);
  steps.seamSamples = pairs.size();
  for (const auto& [a, b] : pairs)
    steps.largestAcrossSeams = std::max(steps.largestAcrossSeams, ColorStep(image, a, b));

  const size_t width = size_t(image.width);
  const size_t count = width * size_t(image.height);
  std::vector<std::pair<size_t, size_t>> neighbours;
  std::vector<Float> distances;
  for (size_t i = 0; i < count; ++i)
    for (const size_t j : {i + 1, i + width})
      if (j < count && (j != i + 1 || j % width != 0) && texels.covered[i] && texels.covered[j])
      {
        neighbours.emplace_back(i, j);
        distances.push_back((texels.points[i] - texels.points[j]).GetLength());
      }
  if (distances.empty())
    return steps;
  std::vector<Float> sorted = distances;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const Float near = 2.0 * sorted[sorted.size() / 2];
  for (size_t k = 0; k < neighbours.size(); ++k)
    if (distances[k] < near)
      steps.largestBetweenNeighbours =
          std::max(steps.largestBetweenNeighbours, ColorStep(image, neighbours[k].first, neighbours[k].second));
  return steps;
}

} // namespace qhost::test
