#include "host/geometry/surface_texels.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "host/geometry/polygon_geometry.h"

namespace qhost {
namespace {

// A triangle corner in texel space, where texel (x, y) has its centre at the
// whole numbers (x, y), and the surface point it stands for.
struct TexelCorner
{
  Float x = 0.0;
  Float y = 0.0;
  Vector point;
};

TexelCorner ToTexelSpace(const Vector& uv, const Vector& point, Int32 width, Int32 height)
{
  return {uv.x * width - 0.5, (1.0 - uv.y) * height - 0.5, point};
}

// Twice the signed area of (a, b, p): positive when p lies left of a -> b.
Float EdgeFunction(const TexelCorner& a, const TexelCorner& b, Float px, Float py)
{
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Writes the interpolated point into every texel whose centre lies inside the
// triangle or on its edges.
void DrawTriangle(const TexelCorner& a, const TexelCorner& b, const TexelCorner& c, const Vector& normal,
                  SurfaceTexels& texels)
{
  const Float area = EdgeFunction(a, b, c.x, c.y);
  const Float xs[3] = {a.x, b.x, c.x};
  const Float ys[3] = {a.y, b.y, c.y};
  if (!std::isfinite(area) || std::abs(area) < 1e-12)
    return;
  for (const Float v : xs)
    if (!std::isfinite(v))
      return;
  for (const Float v : ys)
    if (!std::isfinite(v))
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
      const size_t i = size_t(y) * size_t(texels.width) + size_t(x);
      texels.points[i] = a.point * wa + b.point * wb + c.point * wc;
      texels.normals[i] = normal;
      if (!texels.covered[i])
      {
        texels.covered[i] = 1;
        ++texels.coveredCount;
      }
    }
}

// Gives every uncovered texel the point and normal of its nearest covered
// texel, by a breadth-first walk over edge neighbours from all covered texels
// at once.
void FillUncovered(SurfaceTexels& texels)
{
  const size_t count = texels.points.size();
  std::vector<Int64> queue;
  queue.reserve(count);
  std::vector<std::uint8_t> reached(texels.covered);
  for (size_t i = 0; i < count; ++i)
    if (reached[i])
      queue.push_back(Int64(i));

  for (size_t head = 0; head < queue.size(); ++head)
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
      texels.points[to] = texels.points[from];
      texels.normals[to] = texels.normals[from];
      queue.push_back(to);
    };
    visit(x - 1, y);
    visit(x + 1, y);
    visit(x, y - 1);
    visit(x, y + 1);
  }
}

} // namespace

SurfaceTexels MapSurfaceTexels(const MeshData& mesh, Int32 width, Int32 height)
{
  assert(mesh.HasUVs() && width > 0 && height > 0);
  SurfaceTexels texels;
  texels.width = width;
  texels.height = height;
  const size_t count = size_t(width) * size_t(height);
  texels.points.assign(count, Vector());
  texels.normals.assign(count, Vector());
  texels.covered.assign(count, 0);

  for (size_t p = 0; p < mesh.polygons.size(); ++p)
  {
    const CPolygon& polygon = mesh.polygons[p];
    const Vector normal = PolygonNormal(mesh.points, polygon).GetNormalized();
    TexelCorner corners[4];
    for (Int32 k = 0; k < CornerCount(polygon); ++k)
      corners[k] = ToTexelSpace(CornerUV(mesh.uvs[p], k), mesh.points[CornerPoint(polygon, k)], width, height);
    DrawTriangle(corners[0], corners[1], corners[2], normal, texels);
    if (!polygon.IsTriangle())
      DrawTriangle(corners[0], corners[2], corners[3], normal, texels);
  }
  FillUncovered(texels);
  return texels;
}

} // namespace qhost
