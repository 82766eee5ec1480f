#include "host/shading/noise_shader.h"

#include <cmath>

#include <gtest/gtest.h>

#include "shading_test_support.h"

namespace qhost {
namespace {

void Set(BaseShader* shader, Int32 id, const GeData& value)
{
  shader->SetParameter(DescID(DescLevel(id)), value, DESCFLAGS_SET::NONE);
}

Vector SampleAt(const BaseShader* shader, const Vector& p)
{
  ChannelData cd;
  cd.p = p;
  return shader->Sample(&cd);
}

struct ShaderDeleter
{
  void operator()(BaseShader* s) const { BaseShader::Free(s); }
};
using ShaderPtr = std::unique_ptr<BaseShader, ShaderDeleter>;

ShaderPtr NoiseShaderWith(Int32 type, Float scale, Int32 seed)
{
  test::UseHost();
  ShaderPtr shader(BaseShader::Alloc(Xnoise));
  Set(shader.get(), SLA_NOISE_NOISE, SLA_NOISE_TYPE_BASE + type);
  Set(shader.get(), SLA_NOISE_GLOBAL_SCALE, scale);
  Set(shader.get(), SLA_NOISE_SEED, seed);
  return shader;
}

TEST(NoiseShaderSettings, DefaultsAreStoredAsParameters)
{
  test::UseHost();
  ShaderPtr shader(BaseShader::Alloc(Xnoise));
  ASSERT_TRUE(shader);
  const BaseContainer& bc = *shader->GetDataInstance();
  EXPECT_EQ(bc.GetInt32(SLA_NOISE_NOISE), kNoiseShaderDefaultType);
  EXPECT_EQ(bc.GetFloat(SLA_NOISE_GLOBAL_SCALE), 1.0);
  EXPECT_EQ(bc.GetFloat(SLA_NOISE_OCTAVES), 5.0);
  EXPECT_EQ(bc.GetVector(SLA_NOISE_COLOR1), Vector(0.0));
  EXPECT_EQ(bc.GetVector(SLA_NOISE_COLOR2), Vector(1.0));
  EXPECT_EQ(bc.GetFloat(SLA_NOISE_LOW_CLIP), 0.0);
  EXPECT_EQ(bc.GetFloat(SLA_NOISE_HIGH_CLIP), 1.0);
  EXPECT_EQ(bc.GetInt32(SLA_NOISE_SPACE), SLA_NOISE_SPACE_UV);
}

TEST(NoiseShaderClip, MapsTheClipRangeOntoTheUnitRange)
{
  EXPECT_EQ(ClipNoiseValue(0.25, 0.25, 0.75), 0.0);
  EXPECT_EQ(ClipNoiseValue(0.5, 0.25, 0.75), 0.5);
  EXPECT_EQ(ClipNoiseValue(0.75, 0.25, 0.75), 1.0);
  EXPECT_EQ(ClipNoiseValue(0.1, 0.25, 0.75), 0.0);
  EXPECT_EQ(ClipNoiseValue(0.9, 0.25, 0.75), 1.0);
  // An empty or reversed range is a step at the low clip.
  EXPECT_EQ(ClipNoiseValue(0.3, 0.3, 0.3), 0.0);
  EXPECT_EQ(ClipNoiseValue(0.31, 0.3, 0.3), 1.0);
  EXPECT_EQ(ClipNoiseValue(0.5, 0.6, 0.2), 0.0);
  EXPECT_EQ(ClipNoiseValue(0.7, 0.6, 0.2), 1.0);
}

TEST(NoiseShaderRender, UnpreparedSamplesAreBlackAndCountsBalance)
{
  ShaderPtr shader = NoiseShaderWith(8, 1.0, 1);
  Set(shader.get(), SLA_NOISE_COLOR1, Vector(1.0));
  EXPECT_EQ(SampleAt(shader.get(), Vector(0.3, 0.4, 0.0)), Vector());
  ASSERT_EQ(shader->InitRender(InitRenderStruct{}), INITRENDERRESULT::OK);
  ASSERT_EQ(shader->InitRender(InitRenderStruct{}), INITRENDERRESULT::OK);
  EXPECT_EQ(shader->GetRenderInitCount(), 2);
  EXPECT_NE(SampleAt(shader.get(), Vector(0.3, 0.4, 0.0)), Vector());
  shader->FreeRender();
  EXPECT_NE(SampleAt(shader.get(), Vector(0.3, 0.4, 0.0)), Vector());
  shader->FreeRender();
  shader->FreeRender();
  EXPECT_EQ(shader->GetRenderInitCount(), 0);
  EXPECT_EQ(SampleAt(shader.get(), Vector(0.3, 0.4, 0.0)), Vector());
}

TEST(NoiseShaderRender, SettingsAreSnapshotAtTheFirstPreparation)
{
  ShaderPtr shader = NoiseShaderWith(8, 1.0, 1);
  Set(shader.get(), SLA_NOISE_COLOR1, Vector(0.2));
  Set(shader.get(), SLA_NOISE_COLOR2, Vector(0.2));
  shader->InitRender(InitRenderStruct{});
  Set(shader.get(), SLA_NOISE_COLOR2, Vector(0.9));
  shader->InitRender(InitRenderStruct{});
  EXPECT_EQ(SampleAt(shader.get(), Vector(0.5, 0.5, 0.0)), Vector(0.2));
  shader->FreeRender();
  shader->FreeRender();
  shader->InitRender(InitRenderStruct{});
  EXPECT_GT(SampleAt(shader.get(), Vector(0.5, 0.5, 0.0)).x, 0.2);
  shader->FreeRender();
}

TEST(NoiseShaderPattern, ColoursSpanTheTwoSettingsAndSeedsDecide)
{
  ShaderPtr a = NoiseShaderWith(8, 3.0, 7);
  ShaderPtr same = NoiseShaderWith(8, 3.0, 7);
  ShaderPtr other = NoiseShaderWith(8, 3.0, 8);
  const Vector c1(0.1, 0.2, 0.3), c2(0.9, 0.6, 0.3);
  for (BaseShader* s : {a.get(), same.get(), other.get()})
  {
    Set(s, SLA_NOISE_COLOR1, c1);
    Set(s, SLA_NOISE_COLOR2, c2);
    s->InitRender(InitRenderStruct{});
  }
  int differences = 0;
  for (int i = 0; i < 200; ++i)
  {
    const Vector p(i * 0.0137, i * 0.0071, 0.0);
    const Vector v = SampleAt(a.get(), p);
    ASSERT_GE(v.x, c1.x);
    ASSERT_LE(v.x, c2.x);
    // Both colours lie on one line: every sample is c1 + t (c2 - c1).
    const Float t = (v.x - c1.x) / (c2.x - c1.x);
    EXPECT_NEAR(v.y, c1.y + t * (c2.y - c1.y), 1e-12);
    EXPECT_EQ(v.z, 0.3);
    EXPECT_EQ(v, SampleAt(same.get(), p));
    differences += v != SampleAt(other.get(), p);
  }
  EXPECT_GT(differences, 150);
  for (BaseShader* s : {a.get(), same.get(), other.get()})
    s->FreeRender();
}

TEST(NoiseShaderPattern, ScaleMultipliesTheTexturePositionInEverySpace)
{
  ShaderPtr coarse = NoiseShaderWith(8, 1.0, 3);
  ShaderPtr fine = NoiseShaderWith(8, 4.0, 3);
  ShaderPtr object = NoiseShaderWith(8, 4.0, 3);
  Set(object.get(), SLA_NOISE_SPACE, Int32(0));
  for (BaseShader* s : {coarse.get(), fine.get(), object.get()})
    s->InitRender(InitRenderStruct{});
  int zChanges = 0;
  for (int i = 0; i < 50; ++i)
  {
    const Vector uv(0.05 + i * 0.013, 0.9 - i * 0.011, 0.0);
    EXPECT_EQ(SampleAt(fine.get(), uv), SampleAt(coarse.get(), uv * 4.0));
    // The texture position's third coordinate is part of the pattern in UV
    // space too: a solid projection hands the surface point over as it is.
    const Vector solid = uv + Vector(0, 0, 0.37);
    zChanges += SampleAt(fine.get(), solid) != SampleAt(fine.get(), uv);
    EXPECT_EQ(SampleAt(fine.get(), solid), SampleAt(object.get(), solid));
  }
  EXPECT_GT(zChanges, 40);
  for (BaseShader* s : {coarse.get(), fine.get(), object.get()})
    s->FreeRender();
}

} // namespace
} // namespace qhost
