// A solid projection bakes a texture whose colour runs on across the UV seams
// of a mesh; a UV projection of the same pattern breaks at them.
#include <algorithm>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "host/geometry/primitives.h"
#include "host/geometry/surface_texels.h"
#include "host/shading/texture_bake.h"
#include "host/shading/texture_projection.h"
#include "shading_test_support.h"

namespace qhost {
namespace {

constexpr Int32 kSize = 96;

struct ShaderDeleter
{
  void operator()(BaseShader* s) const { BaseShader::Free(s); }
};

std::unique_ptr<BaseShader, ShaderDeleter> PatternShader()
{
  test::UseHost();
  std::unique_ptr<BaseShader, ShaderDeleter> shader(BaseShader::Alloc(Xnoise));
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_GLOBAL_SCALE)), 3.0, DESCFLAGS_SET::NONE);
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_SEED)), Int32(11), DESCFLAGS_SET::NONE);
  return shader;
}

Image Bake(BaseShader& shader, const SurfaceTexels* solid)
{
  TextureBakeOptions options;
  options.width = options.height = kSize;
  options.threads = 2;
  if (solid)
  {
    options.positions = solid->points;
    options.normals = solid->normals;
  }
  Image image;
  std::string error;
  EXPECT_TRUE(BakeShaderTexture(shader, nullptr, options, image, error)) << error;
  return image;
}

Int32 ColorDifference(const Image& image, Int32 a, Int32 b)
{
  Int32 largest = 0;
  for (Int32 c = 0; c < 3; ++c)
    largest = std::max(largest, std::abs(Int32(image.samples[size_t(a) * 3 + c]) - Int32(image.samples[size_t(b) * 3 + c])));
  return largest;
}

// The texel that shows uv, moved half a texel towards the polygon's UV centre
// so that it lies inside the polygon's island.
Int32 TexelInside(const Vector& uv, const Vector& centre)
{
  const Vector towards = (centre - uv).GetNormalized() * (0.5 / kSize);
  const Vector at = uv + towards;
  const Int32 x = std::clamp(Int32(at.x * kSize), 0, kSize - 1);
  const Int32 y = std::clamp(Int32((1.0 - at.y) * kSize), 0, kSize - 1);
  return y * kSize + x;
}

// Pairs of texels on both sides of every seam edge (an edge whose two
// polygons give its points different UVs), at several places along it.
std::vector<std::pair<Int32, Int32>> SeamTexelPairs(const MeshData& mesh)
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
  std::vector<std::pair<Int32, Int32>> pairs;
  for (const auto& [edge, sides] : edges)
  {
    if (sides.size() != 2 || (sides[0].uvA == sides[1].uvA && sides[0].uvB == sides[1].uvB))
      continue;
    for (const Float t : {0.2, 0.4, 0.6, 0.8})
    {
      const auto along = [t](const Side& s) { return s.uvA + (s.uvB - s.uvA) * t; };
      pairs.emplace_back(TexelInside(along(sides[0]), sides[0].centre), TexelInside(along(sides[1]), sides[1].centre));
    }
  }
  return pairs;
}

struct Differences
{
  Int32 largestAcrossSeams = 0;
  Int32 largestBetweenNeighbours = 0;
};

// Colour differences across the seams, and between edge-neighbouring texels
// that show neighbouring surface points (closer than two texels' width of the
// surface apart), which is what a seamless texture's seams should look like.
Differences Measure(const Image& image, const MeshData& mesh, const SurfaceTexels& texels, Float texelWidth)
{
  Differences d;
  for (const auto& [a, b] : SeamTexelPairs(mesh))
    d.largestAcrossSeams = std::max(d.largestAcrossSeams, ColorDifference(image, a, b));
  for (Int32 y = 0; y < kSize; ++y)
    for (Int32 x = 0; x + 1 < kSize; ++x)
    {
      const Int32 i = y * kSize + x;
      for (const Int32 j : {i + 1, i + kSize})
        if (j < kSize * kSize && texels.covered[i] && texels.covered[j] &&
            (texels.points[i] - texels.points[j]).GetLength() < 2.0 * texelWidth)
          d.largestBetweenNeighbours = std::max(d.largestBetweenNeighbours, ColorDifference(image, i, j));
    }
  return d;
}

// The shader baked over a cube's six UV islands with both projections.
struct SeamFigures
{
  Differences solid;
  Differences uv;
};

SeamFigures MeasureCubeSeams(BaseShader& shader)
{
  const MeshData cube = MakeCube(Vector(200.0), 4, 4, 4);
  SurfaceTexels texels = MapSurfaceTexels(cube, kSize, kSize);
  // Six islands in a 3 x 2 grid: each face is 32 texels across its 200 units.
  const Float texelWidth = 200.0 / (kSize / 3.0);
  const SurfaceTexels surface = texels;
  const SolidFrame frame = SolidFrame::Fit(cube.points);
  for (Vector& p : texels.points)
    p = frame.ToTexture(p);
  return {Measure(Bake(shader, &texels), cube, surface, texelWidth),
          Measure(Bake(shader, nullptr), cube, surface, texelWidth)};
}

TEST(SolidProjection, TheCubesSeamsAreNoLargerThanNeighbouringTexels)
{
  auto shader = PatternShader();
  const SeamFigures figures = MeasureCubeSeams(*shader);
  ASSERT_GT(figures.solid.largestBetweenNeighbours, 0) << "the pattern varies";
  EXPECT_LE(figures.solid.largestAcrossSeams, figures.solid.largestBetweenNeighbours);
  EXPECT_GT(figures.uv.largestAcrossSeams, figures.uv.largestBetweenNeighbours)
      << "the measure sees the seams of a UV projection";
}

TEST(SolidProjection, TheQuorvaneShaderAtItsDefaultsIsSeamlessToo)
{
  ASSERT_TRUE(test::LoadQuorvaneModule());
  const PluginInfo* plugin = nullptr;
  for (const PluginInfo* candidate : NodeFactory::Instance().Plugins())
    if (candidate->description.name == "XQuorvane")
      plugin = candidate;
  ASSERT_NE(plugin, nullptr);
  std::unique_ptr<BaseShader, ShaderDeleter> shader(BaseShader::Alloc(plugin->registration.id));
  ASSERT_TRUE(shader);
  const SeamFigures figures = MeasureCubeSeams(*shader);
  ASSERT_GT(figures.solid.largestBetweenNeighbours, 0) << "the pattern varies";
  EXPECT_LE(figures.solid.largestAcrossSeams, figures.solid.largestBetweenNeighbours);
  EXPECT_GT(figures.uv.largestAcrossSeams, figures.uv.largestBetweenNeighbours);
}

TEST(SolidProjection, TheFrameFitsTheObjectIntoTheUnitCube)
{
  const std::vector<Vector> points = {Vector(-50, 10, 0), Vector(150, 60, 20), Vector(0, 30, 5)};
  const SolidFrame frame = SolidFrame::Fit(points);
  // Longest side 200 along x: scale 1/200, centre (50, 35, 10) at 0.5.
  EXPECT_EQ(frame.ToTexture(Vector(50, 35, 10)), Vector(0.5));
  const Vector low = frame.ToTexture(Vector(-50, 10, 0));
  const Vector high = frame.ToTexture(Vector(150, 60, 20));
  EXPECT_DOUBLE_EQ(low.x, 0.0);
  EXPECT_DOUBLE_EQ(high.x, 1.0);
  EXPECT_DOUBLE_EQ(high.y - low.y, 50.0 / 200.0) << "proportions are kept";
  EXPECT_DOUBLE_EQ(high.z - low.z, 20.0 / 200.0);

  // Moving and scaling the object does not move the pattern on it.
  std::vector<Vector> moved;
  for (const Vector& p : points)
    moved.push_back(p * 3.0 + Vector(7, -4, 1000));
  const SolidFrame movedFrame = SolidFrame::Fit(moved);
  for (size_t i = 0; i < points.size(); ++i)
  {
    const Vector a = frame.ToTexture(points[i]);
    const Vector b = movedFrame.ToTexture(moved[i]);
    EXPECT_NEAR(a.x, b.x, 1e-12);
    EXPECT_NEAR(a.y, b.y, 1e-12);
    EXPECT_NEAR(a.z, b.z, 1e-12);
  }

  const SolidFrame flat = SolidFrame::Fit(std::vector<Vector>{Vector(4, 4, 4)});
  EXPECT_EQ(flat.ToTexture(Vector(4, 4, 4)), Vector(0.5)) << "a single point has no extent to fit";
  EXPECT_EQ(ParseTextureProjection("solid"), TextureProjection::Solid);
  EXPECT_EQ(ParseTextureProjection("uv"), TextureProjection::Uv);
  EXPECT_FALSE(ParseTextureProjection("UV ").has_value());
}

TEST(SolidProjection, PositionsThatDoNotMatchTheImageAreRefused)
{
  auto shader = PatternShader();
  const std::vector<Vector> positions(10);
  TextureBakeOptions options;
  options.width = options.height = 4;
  options.positions = positions;
  options.normals = positions;
  Image image;
  std::string error;
  EXPECT_FALSE(BakeShaderTexture(*shader, nullptr, options, image, error));
  EXPECT_NE(error.find("positions"), std::string::npos) << error;
  EXPECT_EQ(shader->GetRenderInitCount(), 0) << "refused before the shader was prepared";
}

} // namespace
} // namespace qhost
