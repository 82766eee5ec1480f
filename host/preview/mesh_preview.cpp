#include "host/preview/mesh_preview.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace qhost {
namespace {

constexpr Float kFieldOfView = 0.55; // radians, vertical

// Directions from the target to the eye and to the two lights.
struct ViewSetup
{
  Vector eye, keyLight, fillLight;
};

ViewSetup SetupView(PreviewView view)
{
  const ViewSetup front{Vector(0.9, 0.7, 1.5).GetNormalized(), Vector(0.6, 0.9, 0.5).GetNormalized(),
                        Vector(-0.7, 0.2, 0.4).GetNormalized()};
  const auto halfTurn = [](const Vector& v) { return Vector(-v.x, v.y, -v.z); };
  const auto quarterLeft = [](const Vector& v) { return Vector(-v.z, v.y, v.x); };
  switch (view)
  {
    case PreviewView::FrontRight: break;
    case PreviewView::BackLeft: return {halfTurn(front.eye), halfTurn(front.keyLight), halfTurn(front.fillLight)};
    case PreviewView::Top: return {Vector(0.15, 1.0, 0.25).GetNormalized(), front.keyLight, front.fillLight};
    case PreviewView::FrontLeft: return {quarterLeft(front.eye), quarterLeft(front.keyLight), quarterLeft(front.fillLight)};
    case PreviewView::BackRight:
      return {halfTurn(quarterLeft(front.eye)), halfTurn(quarterLeft(front.keyLight)),
              halfTurn(quarterLeft(front.fillLight))};
    case PreviewView::Bottom:
      // Lit from below, or the underside would stand in the dark.
      return {Vector(0.15, -1.0, -0.25).GetNormalized(), Vector(0.6, -0.9, -0.5).GetNormalized(), front.fillLight};
  }
  return front;
}

struct Camera
{
  Vector eye, right, up, forward;
  Float focal = 1.0;
  Int32 width = 0, height = 0;

  // Screen position (pixels) and depth of a world point.
  Vector Project(const Vector& p) const
  {
    const Vector d = p - eye;
    const Float z = Dot(d, forward);
    const Float s = focal / std::max(z, 1e-9);
    return {width * 0.5 + Dot(d, right) * s, height * 0.5 - Dot(d, up) * s, z};
  }
};

// The box around a polygon mesh's points.
std::pair<Vector, Vector> PointBounds(const MeshData& mesh)
{
  Vector lo(std::numeric_limits<Float>::max()), hi(-std::numeric_limits<Float>::max());
  for (const Vector& p : mesh.points)
  {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  return {lo, hi};
}

Camera FitCamera(const std::pair<Vector, Vector>& box, const Vector& viewDirection, Int32 width, Int32 height)
{
  const auto& [lo, hi] = box;
  const Vector centre = (lo + hi) * 0.5;
  const Float radius = std::max((hi - lo).GetLength() * 0.5, 1e-6);
  Camera c;
  c.width = width;
  c.height = height;
  c.forward = -viewDirection;
  // Looking straight up or down, the horizon has no direction: use Z.
  const Vector worldUp = std::abs(c.forward.y) > 0.999 ? Vector(0, 0, 1) : Vector(0, 1, 0);
  c.right = Cross(c.forward, worldUp).GetNormalized();
  c.up = Cross(c.right, c.forward);
  const Float distance = radius / std::sin(kFieldOfView * 0.5) * 1.1;
  c.eye = centre + viewDirection * distance;
  c.focal = height * 0.5 / std::tan(kFieldOfView * 0.5);
  return c;
}

// The texel under (u, v) (repeating, v up), its channels as stored scaled
// to [0, 1], or through the sRGB curve for 8-bit colour.
Vector SampleTexture(const Image& texture, Float u, Float v, bool colour = true)
{
  const Int32 x = std::clamp(Int32((u - std::floor(u)) * texture.width), 0, texture.width - 1);
  const Int32 y = std::clamp(Int32((1.0 - (v - std::floor(v))) * texture.height), 0, texture.height - 1);
  const size_t at = (size_t(y) * size_t(texture.width) + size_t(x)) * size_t(texture.channels);
  const auto linear = [&](int c) {
    const Float v = texture.samples[at + size_t(c)];
    return texture.bitDepth == 16 ? v / 65535.0 : colour ? std::pow(v / 255.0, 2.2) : v / 255.0;
  };
  return {linear(0), linear(1), linear(2)};
}

struct Corner
{
  Vector screen, normal, uv;
  Vector tangent; // with handedness: only read when there is a normal map
  Float handedness = 1.0;
};

// What a picture shows on its surfaces besides the geometry.
struct SurfaceMaps
{
  const Image* texture = nullptr;
  const Image* normalMap = nullptr;
  const Image* occlusionMap = nullptr;
};

class Rasterizer
{
public:
  Rasterizer(Int32 width, Int32 height, const SurfaceMaps& maps, const ViewSetup& view)
      : width_(width), height_(height), maps_(maps), view_(view), depth_(size_t(width) * size_t(height), kFar),
        colour_(size_t(width) * size_t(height))
  {
    for (Int32 y = 0; y < height; ++y)
      for (Int32 x = 0; x < width; ++x)
        colour_[size_t(y) * size_t(width) + size_t(x)] = Vector(0.16, 0.17, 0.2) * (1.0 - 0.4 * y / height);
  }

  void Triangle(const Corner& a, const Corner& b, const Corner& c)
  {
    const Float area = Edge(a.screen, b.screen, c.screen);
    if (std::abs(area) < 1e-12 || a.screen.z <= 0 || b.screen.z <= 0 || c.screen.z <= 0)
      return;
    const Int32 x0 = std::max(0, Int32(std::floor(std::min({a.screen.x, b.screen.x, c.screen.x}))));
    const Int32 x1 = std::min(width_ - 1, Int32(std::ceil(std::max({a.screen.x, b.screen.x, c.screen.x}))));
    const Int32 y0 = std::max(0, Int32(std::floor(std::min({a.screen.y, b.screen.y, c.screen.y}))));
    const Int32 y1 = std::min(height_ - 1, Int32(std::ceil(std::max({a.screen.y, b.screen.y, c.screen.y}))));
    for (Int32 y = y0; y <= y1; ++y)
      for (Int32 x = x0; x <= x1; ++x)
      {
        const Vector p(x + 0.5, y + 0.5, 0.0);
        const Float wa = Edge(b.screen, c.screen, p) / area;
        const Float wb = Edge(c.screen, a.screen, p) / area;
        const Float wc = 1.0 - wa - wb;
        if (wa < 0 || wb < 0 || wc < 0)
          continue;
        const Float z = wa * a.screen.z + wb * b.screen.z + wc * c.screen.z;
        const size_t at = size_t(y) * size_t(width_) + size_t(x);
        if (z >= depth_[at])
          continue;
        depth_[at] = z;
        const Float u = wa * a.uv.x + wb * b.uv.x + wc * c.uv.x;
        const Float v = wa * a.uv.y + wb * b.uv.y + wc * c.uv.y;
        Vector n = (a.normal * wa + b.normal * wb + c.normal * wc).GetNormalized();
        if (maps_.normalMap)
        {
          // The tangent frame as glTF viewers build it: interpolated,
          // orthonormal, bitangent from the first corner's handedness.
          const Vector t = a.tangent * wa + b.tangent * wb + c.tangent * wc;
          const Vector tangent = (t - n * Dot(n, t)).GetNormalized();
          const Vector bitangent = Cross(n, tangent) * a.handedness;
          const Vector m = SampleTexture(*maps_.normalMap, u, v, false) * 2.0 - Vector(1.0);
          n = (tangent * m.x + bitangent * m.y + n * m.z).GetNormalized();
        }
        const Vector albedo = maps_.texture ? SampleTexture(*maps_.texture, u, v) : Vector(0.55, 0.52, 0.48);
        const Float ambient = 0.12 * (maps_.occlusionMap ? SampleTexture(*maps_.occlusionMap, u, v, false).x : 1.0);
        const Float light =
            ambient + 0.85 * std::max(0.0, Dot(n, view_.keyLight)) + 0.25 * std::max(0.0, Dot(n, view_.fillLight));
        colour_[at] = albedo * light;
      }
  }

  // 1 where a triangle was drawn, one byte per pixel.
  std::vector<std::uint8_t> Coverage() const
  {
    std::vector<std::uint8_t> covered(depth_.size());
    for (size_t i = 0; i < depth_.size(); ++i)
      covered[i] = depth_[i] < kFar;
    return covered;
  }

  void CopyTo(Image& image) const
  {
    for (size_t i = 0; i < colour_.size(); ++i)
    {
      image.samples[i * 3 + 0] = LinearToSrgb8(colour_[i].x);
      image.samples[i * 3 + 1] = LinearToSrgb8(colour_[i].y);
      image.samples[i * 3 + 2] = LinearToSrgb8(colour_[i].z);
    }
  }

private:
  static constexpr Float kFar = std::numeric_limits<Float>::max();
  static Float Edge(const Vector& a, const Vector& b, const Vector& p)
  {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
  }

  Int32 width_, height_;
  SurfaceMaps maps_;
  ViewSetup view_;
  std::vector<Float> depth_;
  std::vector<Vector> colour_;
};

} // namespace

Image RenderMeshPreview(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options)
{
  Image picture = MakeImage(options.width, options.height, 3, 8);
  const ViewSetup view = SetupView(options.view);
  const Camera camera = FitCamera(
    options.frame ? *options.frame : PointBounds(mesh),
    view.eye, options.width, options.height);
  Rasterizer raster(options.width, options.height, {mesh.HasUVs() ? options.texture : nullptr}, view);
  for (size_t i = 0; i < mesh.polygons.size(); ++i)
  {
    const CPolygon& poly = mesh.polygons[i];
    const Int32 index[4] = {poly.a, poly.b, poly.c, poly.d};
    Corner corner[4];
    for (int k = 0; k < 4; ++k)
    {
      corner[k].screen = camera.Project(mesh.points[size_t(index[k])]);
      corner[k].normal = cornerNormals.size() == mesh.polygons.size() * 4 ? cornerNormals[i * 4 + size_t(k)] : Vector();
      if (mesh.HasUVs())
      {
        const UVWStruct& uv = mesh.uvs[i];
        corner[k].uv = k == 0 ? uv.a : k == 1 ? uv.b : k == 2 ? uv.c : uv.d;
      }
    }
    raster.Triangle(corner[0], corner[1], corner[2]);
    if (!poly.IsTriangle())
      raster.Triangle(corner[0], corner[2], corner[3]);
  }
  raster.CopyTo(picture);
  return picture;
}

Image RenderTrianglePreview(const TriangleMesh& mesh, const PreviewOptions& options,
                            std::vector<std::uint8_t>* coverage)
{
  Image picture = MakeImage(options.width, options.height, 3, 8);
  const bool hasUVs = mesh.HasUVs();
  if (options.normalMap && (!hasUVs || mesh.tangents.empty()))
    throw std::invalid_argument("a normal map needs a mesh with UVs and tangents");
  const ViewSetup view = SetupView(options.view);
  const Camera camera = FitCamera(
    options.frame ? *options.frame : BoundingBox(mesh),
    view.eye, options.width, options.height);
  const SurfaceMaps maps{hasUVs ? options.texture : nullptr, hasUVs ? options.normalMap : nullptr,
                         hasUVs ? options.occlusionMap : nullptr};
  Rasterizer raster(options.width, options.height, maps, view);
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
  {
    Corner corner[3];
    for (int k = 0; k < 3; ++k)
    {
      const std::uint32_t v = mesh.indices[3 * t + std::size_t(k)];
      corner[k].screen = camera.Project(mesh.Position(v));
      corner[k].normal = mesh.Normal(v);
      if (hasUVs)
        corner[k].uv = Vector(mesh.uvs[2 * v], mesh.uvs[2 * v + 1], 0.0);
      if (!mesh.tangents.empty())
      {
        corner[k].tangent = mesh.Tangent(v);
        corner[k].handedness = mesh.Handedness(v);
      }
    }
    raster.Triangle(corner[0], corner[1], corner[2]);
  }
  raster.CopyTo(picture);
  if (coverage)
    *coverage = raster.Coverage();
  return picture;
}

Image RenderMeshViewStrip(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options)
{
  constexpr PreviewView kViews[] = {PreviewView::FrontRight, PreviewView::BackLeft, PreviewView::Top};
  constexpr Int32 kViewCount = 3;
  if (options.width > std::numeric_limits<Int32>::max() / kViewCount)
    throw std::runtime_error("a strip of three views " + std::to_string(options.width) +
                             " pixels wide each is too wide");
  Image picture = MakeImage(options.width * kViewCount, options.height, 3, 8);
  for (Int32 k = 0; k < kViewCount; ++k)
  {
    PreviewOptions one = options;
    one.view = kViews[k];
    const Image view = RenderMeshPreview(mesh, cornerNormals, one);
    for (Int32 y = 0; y < view.height; ++y)
      std::copy_n(view.samples.begin() + std::ptrdiff_t(y) * view.width * 3, size_t(view.width) * 3,
                  picture.samples.begin() + (std::ptrdiff_t(y) * picture.width + std::ptrdiff_t(k) * view.width) * 3);
  }
  return picture;
}

} // namespace qhost
