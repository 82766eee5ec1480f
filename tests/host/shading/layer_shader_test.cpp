#include "host/shading/layer_shader.h"

#include <gtest/gtest.h>

#include "host/core/node_core.h"
#include "shading_test_support.h"

namespace qhost {
namespace {

LayerShaderNode* NewLayerShader()
{
  test::UseHost();
  return As<LayerShaderNode>(BaseShader::Alloc(Xlayer));
}

// A shader layer showing a constant colour owned by the layer shader.
LayerShaderLayer* AddColourLayer(LayerShaderNode* layers, const Vector& c, Float opacity,
                                 LayerShaderLayer* folder = nullptr)
{
  BaseShader* shader = test::ConstantShader(c);
  layers->InsertShader(shader, nullptr);
  LayerShaderLayer* layer = layers->AddLayer(TypeShader, folder);
  EXPECT_TRUE(layers->SetLayerShader(layer, shader));
  EXPECT_TRUE(layers->SetLayerParameter(layer, kLayerOpacity, GeData(opacity)));
  return layer;
}

Vector SampleOnce(LayerShaderNode* layers)
{
  EXPECT_EQ(layers->InitRender(InitRenderStruct{}), INITRENDERRESULT::OK);
  ChannelData cd;
  cd.p = Vector(0.4, 0.6, 0.0);
  const Vector v = layers->Sample(&cd);
  layers->FreeRender();
  return v;
}

BaseShader* LinkedShader(const LayerShaderLayer* layer, const BaseDocument* doc)
{
  GeData value;
  if (!layer->GetParameter(LAYER_S_PARAM_SHADER_LINK, value) || value.GetType() != DA_VOID)
    return nullptr;
  return static_cast<BaseShader*>(static_cast<const BaseLink*>(value.GetVoid())->GetLink(doc));
}

TEST(LayerShaderCompositing, LayersBlendBottomToTopAtTheirOpacity)
{
  LayerShaderNode* layers = NewLayerShader();
  EXPECT_EQ(SampleOnce(layers), Vector());
  AddColourLayer(layers, Vector(1.0, 0.0, 0.0), 1.0);
  EXPECT_EQ(SampleOnce(layers), Vector(1.0, 0.0, 0.0));
  AddColourLayer(layers, Vector(0.0, 0.0, 1.0), 0.5);
  EXPECT_EQ(SampleOnce(layers), Vector(0.5, 0.0, 0.5));
  BaseShader* self = layers;
  BaseShader::Free(self);
}

TEST(LayerShaderCompositing, EffectsChangeWhatIsBelowThem)
{
  LayerShaderNode* layers = NewLayerShader();
  AddColourLayer(layers, Vector(0.2, 0.4, 0.6), 1.0);
  LayerShaderLayer* invert = layers->AddLayer(TypeEffect, nullptr);
  EXPECT_EQ(SampleOnce(layers), Vector(0.8, 0.6, 0.4));
  layers->SetLayerParameter(invert, kLayerEffect, GeData(kLayerEffectBrightnessContrast));
  layers->SetLayerParameter(invert, kLayerContrast, GeData(1.0));
  layers->SetLayerParameter(invert, kLayerBrightness, GeData(0.1));
  const Vector v = SampleOnce(layers);
  EXPECT_NEAR(v.x, 0.0, 1e-12);
  EXPECT_NEAR(v.y, 0.4, 1e-12);
  EXPECT_NEAR(v.z, 0.8, 1e-12);
  layers->SetLayerParameter(invert, kLayerOpacity, GeData(0.0));
  EXPECT_EQ(SampleOnce(layers), Vector(0.2, 0.4, 0.6));
  BaseShader* self = layers;
  BaseShader::Free(self);
}

TEST(LayerShaderCompositing, FoldersStartFromTheColourBelowThem)
{
  LayerShaderNode* layers = NewLayerShader();
  AddColourLayer(layers, Vector(0.2, 0.4, 0.6), 1.0);
  LayerShaderLayer* folder = layers->AddLayer(TypeFolder, nullptr);
  ASSERT_NE(folder, nullptr);
  layers->AddLayer(TypeEffect, folder); // inverts the colour under the folder
  AddColourLayer(layers, Vector(1.0), 0.5, folder);
  layers->SetLayerParameter(folder, kLayerOpacity, GeData(0.5));
  // Inside: invert -> (0.8, 0.6, 0.4), white at half -> (0.9, 0.8, 0.7);
  // the folder at half over (0.2, 0.4, 0.6).
  const Vector v = SampleOnce(layers);
  EXPECT_NEAR(v.x, 0.55, 1e-12);
  EXPECT_NEAR(v.y, 0.6, 1e-12);
  EXPECT_NEAR(v.z, 0.65, 1e-12);
  BaseShader* self = layers;
  BaseShader::Free(self);
}

TEST(LayerShaderRender, PreparesTheShownShadersWithEveryPreparation)
{
  LayerShaderNode* layers = NewLayerShader();
  AddColourLayer(layers, Vector(1.0), 1.0);
  BaseShader* shown = layers->GetFirstShader();
  ASSERT_EQ(layers->InitRender(InitRenderStruct{}), INITRENDERRESULT::OK);
  ASSERT_EQ(layers->InitRender(InitRenderStruct{}), INITRENDERRESULT::OK);
  EXPECT_EQ(layers->GetRenderInitCount(), 2);
  EXPECT_EQ(shown->GetRenderInitCount(), 2);
  layers->FreeRender();
  layers->FreeRender();
  layers->FreeRender();
  EXPECT_EQ(layers->GetRenderInitCount(), 0);
  EXPECT_EQ(shown->GetRenderInitCount(), 0);
  BaseShader* self = layers;
  BaseShader::Free(self);
}

TEST(LayerShaderStructure, RefusesForeignShadersFoldersAndTypes)
{
  LayerShaderNode* layers = NewLayerShader();
  LayerShaderNode* other = NewLayerShader();
  LayerShaderLayer* foreignFolder = other->AddLayer(TypeFolder, nullptr);
  EXPECT_EQ(layers->AddLayer(TypeShader, foreignFolder), nullptr);
  LayerShaderLayer* effect = layers->AddLayer(TypeEffect, nullptr);
  EXPECT_EQ(layers->AddLayer(TypeShader, effect), nullptr);
  EXPECT_EQ(layers->AddLayer(42, nullptr), nullptr);

  BaseShader* loose = test::ConstantShader(Vector(1.0));
  LayerShaderLayer* layer = layers->AddLayer(TypeShader, nullptr);
  EXPECT_FALSE(layers->SetLayerShader(layer, loose));
  EXPECT_FALSE(layers->SetLayerShader(effect, loose));
  GeData value;
  EXPECT_FALSE(effect->GetParameter(LAYER_S_PARAM_SHADER_LINK, value));
  BaseShader::Free(loose);
  for (BaseShader* s : {static_cast<BaseShader*>(layers), static_cast<BaseShader*>(other)})
    BaseShader::Free(s);
}

TEST(LayerShaderStructure, LinksResolveInTheDocumentPastFoldersAndEffects)
{
  test::UseHost();
  BaseDocument* doc = BaseDocument::Alloc();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  doc->InsertMaterial(material, nullptr);
  LayerShaderNode* layers = NewLayerShader();
  material->InsertShader(layers, nullptr);
  LayerShaderLayer* folder = layers->AddLayer(TypeFolder, nullptr);
  layers->AddLayer(TypeEffect, folder);
  layers->AddLayer(TypeEffect, nullptr);
  AddColourLayer(layers, Vector(0.5), 1.0);

  const LayerShaderLayer* layer = layers->GetFirstLayer();
  ASSERT_EQ(layer->GetType(), TypeFolder);
  ASSERT_NE(layer->GetFirstChild(), nullptr);
  EXPECT_EQ(layer->GetFirstChild()->GetType(), TypeEffect);
  layer = layer->GetNext();
  EXPECT_EQ(layer->GetType(), TypeEffect);
  EXPECT_EQ(layer->GetFirstChild(), nullptr);
  layer = layer->GetNext();
  ASSERT_EQ(layer->GetType(), TypeShader);
  EXPECT_EQ(layer->GetNext(), nullptr);
  EXPECT_EQ(LinkedShader(layer, doc), layers->GetFirstShader());
  EXPECT_EQ(layers->GetFirstShader()->GetMain(), layers);
  EXPECT_EQ(layers->GetMain(), material);
  BaseDocument::Free(doc);
}

TEST(LayerShaderStructure, ClonesShowTheirOwnCopiesOfTheShaders)
{
  test::UseHost();
  BaseDocument* doc = BaseDocument::Alloc();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  doc->InsertMaterial(material, nullptr);
  LayerShaderNode* layers = NewLayerShader();
  material->InsertShader(layers, nullptr);
  LayerShaderLayer* folder = layers->AddLayer(TypeFolder, nullptr);
  AddColourLayer(layers, Vector(0.25), 1.0, folder);

  auto* clone = static_cast<LayerShader*>(layers->GetClone(COPYFLAGS::NONE, nullptr));
  ASSERT_NE(clone, nullptr);
  material->InsertShader(clone, layers);
  const LayerShaderLayer* copied = clone->GetFirstLayer()->GetFirstChild();
  ASSERT_NE(copied, nullptr);
  BaseShader* shown = LinkedShader(copied, doc);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown, clone->GetFirstShader());
  EXPECT_NE(shown, layers->GetFirstShader());
  EXPECT_EQ(SampleOnce(As<LayerShaderNode>(clone)), Vector(0.25));
  BaseDocument::Free(doc);
}

} // namespace
} // namespace qhost
