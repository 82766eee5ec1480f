#include "host/geometry/texel_triangles.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace qhost {
namespace {

// A triangle corner in texel space, where texel (x, y) has its centre at the
// whole numbers (x, y).
struct TexelCorner
{
  Float x = 0.0;
  Float y = 0.0;
};

TexelCorner ToTexelSpace(Float u, Float v, Int32 width, Int32 height)
{
  return {u * width - 0.5, (1.0 - v) * height - 0.5};
}

// Twice the signed area of (a, b, p): positive when p lies left of a -> b.
Float EdgeFunction(const TexelCorner& a, const TexelCorner& b, Float px, Float py)
{
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Marks triangle t in every texel whose centre lies inside it or on its edges.
void DrawTriangle(Int32 t, const TexelCorner& a, const TexelCorner& b, const TexelCorner& c, TexelTriangles& texels)
{
  const Float area = EdgeFunction(a, b, c.x, c.y);
  const Float xs[3] = {a.x, b.x, c.x};
  const Float ys[3] = {a.y, b.y, c.y};
  if (!std::isfinite(area) || std::abs(area) < 1e-12)
    return;
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(xs[k]) || !std::isfinite(ys[k]))
      return;

  // Bounding box, clamped to the grid before converting to whole numbers.
  const auto clampTo = [](Float v, Int32 size) { return static_cast<Int32>(std::clamp(v, 0.0, Float(size - 1))); };
  const Int32 x0 = clampTo(std::ceil(*std::min_element(xs, xs + 3)), texels.width);
  const Int32 x1 = clampTo(std::floor(*std::max_element(xs, xs + 3)), texels.width);
  const Int32 y0 = clampTo(std::ceil(*std::min_element(ys, ys + 3)), texels.height);
  const Int32 y1 = clampTo(std::floor(*std::max_element(ys, ys + 3)), texels.height);

  // Centres exactly on an edge count as inside, so that no texel falls between
  // two triangles that share that edge.
  constexpr Float kEdgeTolerance = -1e-9;
  for (Int32 y = y0; y <= y1; ++y)
    for (Int32 x = x0; x <= x1; ++x)
    {
      const Float wa = EdgeFunction(b, c, x, y) / area;
      const Float wb = EdgeFunction(c, a, x, y) / area;
      const Float wc = 1.0 - wa - wb;
      if (wa < kEdgeTolerance || wb < kEdgeTolerance || wc < kEdgeTolerance)
        continue;
      const std::size_t i = std::size_t(y) * std::size_t(texels.width) + std::size_t(x);
      texels.triangle[i] = t;
      texels.weightA[i] = wa;
      texels.weightB[i] = wb;
      if (!texels.covered[i])
      {
        texels.covered[i] = 1;
        ++texels.coveredCount;
      }
    }
}

// Gives every uncovered texel the triangle and weights of its nearest
// covered texel, by a breadth-first walk over edge neighbours from all
// covered texels at once.
void FillUncovered(TexelTriangles& texels)
{
  const std::size_t count = texels.Count();
  std::vector<Int64> queue;
  queue.reserve(count);
  std::vector<std::uint8_t> reached(texels.covered);
  for (std::size_t i = 0; i < count; ++i)
    if (reached[i])
      queue.push_back(Int64(i));

  for (std::size_t head = 0; head < queue.size(); ++head)
  {
    const Int64 from = queue[head];
    const Int32 x = Int32(from % texels.width);
    const Int32 y = Int32(from / texels.width);
    const auto visit = [&](Int32 nx, Int32 ny) {
      if (nx < 0 || ny < 0 || nx >= texels.width || ny >= texels.height)
        return;
      const Int64 to = Int64(ny) * texels.width + nx;
      if (reached[to])
        return;
      reached[to] = 1;
      texels.triangle[to] = texels.triangle[from];
      texels.weightA[to] = texels.weightA[from];
      texels.weightB[to] = texels.weightB[from];
      queue.push_back(to);
    };
    visit(x - 1, y);
    visit(x + 1, y);
    visit(x, y - 1);
    visit(x, y + 1);
  }
}

} // namespace

TexelTriangles CoverTexels(std::span<const Float> triangleUVs, Int32 width, Int32 height)
{
  assert(width > 0 && height > 0 && triangleUVs.size() % 6 == 0);
  TexelTriangles texels;
  texels.width = width;
  texels.height = height;
  const std::size_t count = std::size_t(width) * std::size_t(height);
  texels.triangle.assign(count, -1);
  texels.weightA.assign(count, 0.0);
  texels.weightB.assign(count, 0.0);
  texels.covered.assign(count, 0);
  for (std::size_t t = 0; t < triangleUVs.size() / 6; ++t)
  {
    const Float* uv = triangleUVs.data() + 6 * t;
    DrawTriangle(Int32(t), ToTexelSpace(uv[0], uv[1], width, height), ToTexelSpace(uv[2], uv[3], width, height),
                 ToTexelSpace(uv[4], uv[5], width, height), texels);
  }
  FillUncovered(texels);
  return texels;
}

} // namespace qhost
