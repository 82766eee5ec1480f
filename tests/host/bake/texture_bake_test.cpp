#include "host/bake/texture_bake.h"

#include <algorithm>
#include <cmath>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/shading/shading_test_support.h"

namespace qhost {
namespace {

constexpr Int32 kQuorvaneShader = 1065197;
constexpr Int32 kQuorvaneMode = 2000;

struct ShaderDeleter
{
  void operator()(BaseShader* s) const { BaseShader::Free(s); }
};
using ShaderPtr = std::unique_ptr<BaseShader, ShaderDeleter>;

ShaderPtr PatternShader()
{
  ShaderPtr shader(test::ConstantShader(Vector(0.0)));
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_COLOR2)), Vector(1.0, 0.5, 0.25), DESCFLAGS_SET::NONE);
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_GLOBAL_SCALE)), 6.0, DESCFLAGS_SET::NONE);
  return shader;
}

Image Bake(BaseShader& shader, Int32 threads, TextureKind kind, Int32 size = 64)
{
  TextureBakeOptions options;
  options.width = size;
  options.height = size + 3;
  options.threads = threads;
  options.kind = kind;
  return BakeShaderTexture(shader, nullptr, options);
}

TEST(TextureBake, EightThreadsGiveTheBytesOfOne)
{
  ShaderPtr shader = PatternShader();
  const Image one = Bake(*shader, 1, TextureKind::Color);
  const Image eight = Bake(*shader, 8, TextureKind::Color);
  EXPECT_EQ(one.samples, eight.samples);
  EXPECT_EQ(one.bitDepth, 8);
  EXPECT_EQ(one.height, 67);
  EXPECT_EQ(shader->GetRenderInitCount(), 0);
  const auto [lo, hi] = std::minmax_element(one.samples.begin(), one.samples.end());
  EXPECT_LT(*lo, *hi);
}

TEST(TextureBake, HeightsAreSixteenBitLinear)
{
  ShaderPtr shader(test::ConstantShader(Vector(0.5)));
  const Image image = Bake(*shader, 4, TextureKind::Height, 8);
  EXPECT_EQ(image.bitDepth, 16);
  for (const std::uint16_t s : image.samples)
    EXPECT_EQ(s, LinearToUnorm16(0.5));
  const Image colour = Bake(*shader, 4, TextureKind::Color, 8);
  EXPECT_EQ(colour.samples.front(), LinearToSrgb8(0.5));
}

TEST(TextureBake, CancellingStillReleasesTheShader)
{
  ShaderPtr shader = PatternShader();
  TextureBakeOptions options;
  options.width = options.height = 256;
  // One worker, so the cancelling report comes while bands are still left:
  // with more, a helper thread may finish them all first, as it can on a busy
  // machine, and the bake then ends complete.
  options.threads = 1;
  int calls = 0;
  options.progress = [&calls](Float) { return ++calls < 2; };
  EXPECT_THAT([&] { BakeShaderTexture(*shader, nullptr, options); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr("cancelled")));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(shader->GetRenderInitCount(), 0);

  options.width = 0;
  EXPECT_THAT([&] { BakeShaderTexture(*shader, nullptr, options); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr("size")));
}

TEST(TextureBake, MaterialChannelsBakeTheirShader)
{
  test::UseHost();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  TextureBakeOptions options;
  options.width = options.height = 4;
  EXPECT_THAT([&] { BakeMaterialChannel(*material, CHANNEL_COLOR, options); },
              ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("holds no shader")));
  EXPECT_THAT([&] { BakeMaterialChannel(*material, 3, options); },
              ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("no channel 3")));
  BaseShader* shader = test::ConstantShader(Vector(1.0));
  material->InsertShader(shader, nullptr);
  material->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, shader);
  EXPECT_EQ(BakeMaterialChannel(*material, CHANNEL_COLOR, options).samples, std::vector<std::uint16_t>(4 * 4 * 3, 255));
  BaseMaterial::Free(material);
}

// ---- The module's shader through the host ------------------------------------------

class QuorvaneShaderTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(test::LoadQuorvaneModule());
    doc = BaseDocument::Alloc();
    material = BaseMaterial::Alloc(Mmaterial);
    doc->InsertMaterial(material, nullptr);
    shader = BaseShader::Alloc(kQuorvaneShader);
    ASSERT_NE(shader, nullptr);
    material->InsertShader(shader, nullptr);
    material->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, shader);
  }
  void TearDown() override { BaseDocument::Free(doc); }

  BaseDocument* doc = nullptr;
  BaseMaterial* material = nullptr;
  BaseShader* shader = nullptr;
};

TEST_F(QuorvaneShaderTest, PreparationsAreCountedAndSamplesStayInRange)
{
  InitRenderStruct irs;
  irs.doc = doc;
  ASSERT_EQ(shader->InitRender(irs), INITRENDERRESULT::OK);
  EXPECT_EQ(shader->GetRenderInitCount(), 1);
  EXPECT_EQ(shader->GetMain(), material);
  for (int i = 0; i < 100; ++i)
  {
    ChannelData cd;
    cd.p = Vector(i * 0.0101, 1.0 - i * 0.0097, 0.0);
    const Vector c = shader->Sample(&cd);
    ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z));
    EXPECT_GE(std::min({c.x, c.y, c.z}), 0.0);
    EXPECT_LE(std::max({c.x, c.y, c.z}), 1.0);
  }
  shader->FreeRender();
  EXPECT_EQ(shader->GetRenderInitCount(), 0);
  // Freeing a prepared shader is allowed; the document frees this one prepared.
  ASSERT_EQ(shader->InitRender(irs), INITRENDERRESULT::OK);
}

TEST_F(QuorvaneShaderTest, DefaultShaderBakesAVariedGreyImage)
{
  for (const Int32 mode : {0, 1})
  {
    shader->GetDataInstance()->SetInt32(kQuorvaneMode, mode);
    TextureBakeOptions options;
    options.width = options.height = 96;
    options.threads = 8;
    options.kind = mode == 0 ? TextureKind::Color : TextureKind::Height;
    const Image image = BakeMaterialChannel(*material, CHANNEL_COLOR, options);
    EXPECT_EQ(shader->GetRenderInitCount(), 0);
    std::uint16_t lo = 65535, hi = 0;
    for (size_t i = 0; i < image.samples.size(); i += 3)
    {
      // Grey gradients give grey pixels.
      EXPECT_EQ(image.samples[i], image.samples[i + 1]);
      EXPECT_EQ(image.samples[i], image.samples[i + 2]);
      lo = std::min(lo, image.samples[i]);
      hi = std::max(hi, image.samples[i]);
    }
    EXPECT_LT(lo + 8, hi) << "mode " << mode;
    options.threads = 1;
    EXPECT_EQ(BakeMaterialChannel(*material, CHANNEL_COLOR, options).samples, image.samples) << "mode " << mode;
  }
}

} // namespace
} // namespace qhost
