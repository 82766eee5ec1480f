// Per-sample evaluation of the Quorvane shader through the loaded module. With
// the host refusing both noise shaders the pattern value is exactly 1, which
// pins the gradient position; the rest is checked against the host's own
// turbulence and gradients.
#include <cmath>
#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "plugin_test_support.h"

namespace qtest {
namespace {

class QuorvaneOutputTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    EnsureModuleLoaded();
    shader = BaseShader::Alloc(kQuorvaneShader);
    ASSERT_NE(shader, nullptr);
  }
  void TearDown() override
  {
    if (prepared)
      shader->FreeRender();
    BaseShader::Free(shader);
    qhost::NodeFactory::Instance().SetCreateHook(nullptr);
  }

  // Prepares the shader; without noise shaders the pattern value is 1.
  void Prepare(bool withNoise = false)
  {
    if (!withNoise)
      qhost::NodeFactory::Instance().SetCreateHook(
          [](NodeClass kind, Int32 type) { return !(kind == NodeClass::Shader && type == Xnoise); });
    ASSERT_EQ(shader->InitRender(InitRenderStruct()), INITRENDERRESULT::OK);
    qhost::NodeFactory::Instance().SetCreateHook(nullptr);
    prepared = true;
  }

  Vector Sample(const Vector& p = Vector(0.3, 0.6, 0.0)) const
  {
    ChannelData cd;
    cd.p = p;
    return shader->Sample(&cd);
  }

  BaseContainer& Data() { return *shader->GetDataInstance(); }

  // Replaces a gradient parameter by a two-knot linear ramp.
  void SetRamp(Int32 id, const Vector& start, const Vector& end)
  {
    Gradient* g = Gradient::Alloc();
    for (const auto& [colour, pos] : {std::pair{start, 0.0}, std::pair{end, 1.0}})
    {
      GradientKnot knot;
      knot.col = colour;
      knot.pos = pos;
      knot.interpolation = GRADIENT_INTERPOLATION_TYPE::LINEAR;
      g->InsertKnot(knot);
    }
    Data().SetData(id, GeData(CUSTOMDATATYPE_GRADIENT, *g));
    Gradient::Free(g);
  }

  Vector GradientAt(Int32 id, Float pos)
  {
    const Gradient* g = Data().GetCustomDataType<Gradient>(id, CUSTOMDATATYPE_GRADIENT);
    Result<GradientRenderDataRef> r = g->PrepareRenderData(InitRenderStruct());
    return r.GetValue().Get()->CalcGradientPixel(pos);
  }

  BaseShader* shader = nullptr;
  bool prepared = false;
};

void ExpectColour(const Vector& actual, const Vector& expected, Float tolerance = 1e-9)
{
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_F(QuorvaneOutputTest, WithoutNoiseShadersThePatternIsOneAndPicksTheGradientsEnd)
{
  Prepare();
  ExpectColour(Sample(), GradientAt(5002, 1.0), 1e-6);
  ExpectColour(Sample(), Vector(0.25), 1e-6);
}

TEST_F(QuorvaneOutputTest, HeightModeUsesTheHeightGradient)
{
  Data().SetInt32(2000, 1);
  Prepare();
  ExpectColour(Sample(), Vector(1.0), 1e-6);
}

TEST_F(QuorvaneOutputTest, AClipAboveOneHalfRunsTheRemapBackwards)
{
  Data().SetInt32(2000, 1);
  SetRamp(6001, Vector(0.0), Vector(1.0));
  Data().SetFloat(5005, 0.8);
  Prepare();
  // u = 1 maps to (1 - k*0.2) + k with k = 1 / (0.2 - 0.8): below the start.
  ExpectColour(Sample(), GradientAt(6001, -1.0 / 3.0), 1e-9);
}

TEST_F(QuorvaneOutputTest, ClipOneHalfIsAStepInsteadOfANonFiniteValue)
{
  Data().SetFloat(5005, 0.5);
  Prepare();
  const Vector c = Sample();
  EXPECT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z));
  ExpectColour(c, Vector(0.25), 1e-6);
}

TEST_F(QuorvaneOutputTest, FullTurbulenceMixUsesTheTurbulenceAsPosition)
{
  SetRamp(5002, Vector(0.0), Vector(1.0));
  Data().SetFloat(5003, 1.0);
  Data().SetFloat(5001, 3.0);
  Prepare();
  for (const Vector p : {Vector(0.1, 0.2, 0.0), Vector(0.7, 0.4, 0.0)})
  {
    const Float n = Turbulence(p * 3.0, 5.0, true);
    ExpectColour(Sample(p), GradientAt(5002, n), 1e-9);
  }
}

TEST_F(QuorvaneOutputTest, TurbulenceHasNoEffectInTheHeightPath)
{
  Data().SetInt32(2000, 1);
  Data().SetFloat(5003, 1.0);
  Prepare();
  ExpectColour(Sample(Vector(0.1, 0.2, 0)), Sample(Vector(0.8, 0.9, 0)));
}

TEST_F(QuorvaneOutputTest, ColourCorrection)
{
  Data().SetInt32(2000, 1); // white at the end of the default height gradient
  Data().SetFloat(10000, 0.5);
  Prepare();
  ExpectColour(Sample(), Vector(1.5), 1e-6);
}

TEST_F(QuorvaneOutputTest, GammaZeroGivesWhiteEvenForBlack)
{
  Data().SetInt32(2000, 1);
  SetRamp(6001, Vector(0.0), Vector(0.0));
  Data().SetFloat(10002, 0.0);
  Prepare();
  ExpectColour(Sample(), Vector(1.0));
}

TEST_F(QuorvaneOutputTest, SaturationMinusOneMakesGrey)
{
  Data().SetInt32(2000, 1);
  SetRamp(6001, Vector(0.0), Vector(0.2, 0.4, 0.8));
  Data().SetFloat(10003, -1.0);
  Prepare();
  ExpectColour(Sample(), Vector(0.8), 1e-9);
}

TEST_F(QuorvaneOutputTest, ContrastScalesAboutOneHalf)
{
  Data().SetInt32(2000, 1);
  SetRamp(6001, Vector(0.0), Vector(0.75));
  Data().SetFloat(10001, 1.0);
  Prepare();
  ExpectColour(Sample(), Vector(1.0), 1e-9);
}

TEST_F(QuorvaneOutputTest, AMissingGradientIsBlack)
{
  Data().RemoveData(5002);
  Data().SetFloat(10000, 0.5);
  Prepare();
  ExpectColour(Sample(), Vector(0.0));
}

TEST_F(QuorvaneOutputTest, OutputWithoutInitRenderIsBlack)
{
  ExpectColour(Sample(), Vector(0.0));
}

TEST_F(QuorvaneOutputTest, TheDefaultPatternVariesAndStaysInRange)
{
  Prepare(/*withNoise*/ true);
  Float lowest = 1.0, highest = 0.0;
  for (int i = 0; i < 400; ++i)
  {
    const Vector c = Sample(Vector((i % 20) / 20.0, (i / 20) / 20.0, 0.0));
    ASSERT_TRUE(std::isfinite(c.x));
    EXPECT_GE(c.x, 0.0);
    EXPECT_LE(c.x, 0.25 + 1e-9);
    lowest = std::min(lowest, c.x);
    highest = std::max(highest, c.x);
  }
  EXPECT_LT(lowest + 0.05, highest) << "cells and detail vary the colour";
}

} // namespace
} // namespace qtest
