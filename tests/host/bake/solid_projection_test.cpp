// A solid projection bakes a texture whose colour runs on across the UV seams
// of a mesh; a UV projection of the same pattern breaks at them.
#include <algorithm>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "host/geometry/primitives.h"
#include "host/geometry/surface_texels.h"
#include "host/bake/texture_bake.h"
#include "host/shading/texture_projection.h"
#include "host/shading/seam_measure.h"
#include "host/shading/shading_test_support.h"

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
  return BakeShaderTexture(shader, nullptr, options);
}

// The shader baked over a cube's six UV islands with both projections.
struct SeamFigures
{
  test::SeamSteps solid;
  test::SeamSteps uv;
};

SeamFigures MeasureCubeSeams(BaseShader& shader)
{
  const MeshData cube = MakeCube(Vector(200.0), 4, 4, 4);
  SurfaceTexels texels = MapSurfaceTexels(cube, kSize, kSize);
  const SurfaceTexels surface = texels;
  const SolidFrame frame = SolidFrame::Fit(cube.points);
  for (Vector& p : texels.points)
    p = frame.ToTexture(p);
  return {test::MeasureSeamSteps(Bake(shader, &texels), cube, surface),
          test::MeasureSeamSteps(Bake(shader, nullptr), cube, surface)};
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
  EXPECT_THAT([&] { BakeShaderTexture(*shader, nullptr, options); },
              ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("positions")));
  EXPECT_EQ(shader->GetRenderInitCount(), 0) << "refused before the shader was prepared";
}

} // namespace
} // namespace qhost
