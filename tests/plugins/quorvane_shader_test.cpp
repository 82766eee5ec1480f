// The Quorvane shader through the loaded module: defaults, render preparation,
// enabling, the channel buttons and the About box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "host/runtime/host.h"
#include "plugin_test_support.h"

namespace qtest {
namespace {

using ::testing::ElementsAre;

// Collects the host noise shaders the plug-in makes; can refuse them.
struct NoiseShaderSpy
{
  std::vector<BaseShader*> made;
  bool refuse = false;

  NoiseShaderSpy()
  {
    auto& factory = qhost::NodeFactory::Instance();
    factory.SetCreateHook([this](NodeClass kind, Int32 type) { return !(refuse && kind == NodeClass::Shader && type == Xnoise); });
    factory.SetCreateObserver([this](qhost::NodeCore& node) {
      if (node.Type() == Xnoise)
        made.push_back(static_cast<BaseShader*>(node.Api()));
    });
  }
  ~NoiseShaderSpy()
  {
    qhost::NodeFactory::Instance().SetCreateHook(nullptr);
    qhost::NodeFactory::Instance().SetCreateObserver(nullptr);
  }
};

BaseShader* NewShader()
{
  EnsureModuleLoaded();
  BaseShader* shader = BaseShader::Alloc(kQuorvaneShader);
  EXPECT_NE(shader, nullptr);
  return shader;
}

const Gradient* GradientOf(const BaseShader* shader, Int32 id)
{
  return shader->GetDataInstance()->GetCustomDataType<Gradient>(id, CUSTOMDATATYPE_GRADIENT);
}

Float Param(const BaseShader* shader, Int32 id) { return shader->GetDataInstance()->GetFloat(id); }

TEST(QuorvaneShaderTest, InitWritesTheDefaults)
{
  BaseShader* shader = NewShader();
  const BaseContainer& bc = *shader->GetDataInstance();
  EXPECT_EQ(bc.GetInt32(2000, -1), 0);
  EXPECT_EQ(bc.GetInt32(2001, -1), 0);
  EXPECT_EQ(bc.GetInt32(2002), 304);
  EXPECT_EQ(bc.GetFloat(2003), 4.0);
  EXPECT_EQ(bc.GetFloat(2004), 0.85);
  EXPECT_EQ(bc.GetFloat(2005), 0.25);
  EXPECT_EQ(bc.GetInt32(5000), 665);
  EXPECT_EQ(bc.GetFloat(5001), 2.0);
  EXPECT_EQ(bc.GetFloat(5003, -1), 0.0);
  EXPECT_EQ(bc.GetInt32(5004), 8);
  EXPECT_EQ(bc.GetFloat(5005, -1), 0.0);
  EXPECT_EQ(bc.GetFloat(10000, -1), 0.0);
  EXPECT_EQ(bc.GetFloat(10001, -1), 0.0);
  EXPECT_EQ(bc.GetFloat(10002), 1.0);
  EXPECT_EQ(bc.GetFloat(10003, -1), 0.0);

  for (const auto& [id, start, end] : {std::tuple{5002, 0.02, 0.25}, {6001, 0.0, 1.0}})
  {
    const Gradient* g = GradientOf(shader, id);
    ASSERT_NE(g, nullptr) << id;
    EXPECT_EQ(g->GetData(GRADIENT_MODE).GetInt32(), 0);
    ASSERT_EQ(g->GetKnotCount(), 2);
    const GradientKnot a = g->GetKnot(0);
    const GradientKnot b = g->GetKnot(1);
    EXPECT_EQ(a.col, Vector(start));
    EXPECT_EQ(b.col, Vector(end));
    EXPECT_EQ(a.pos, 0.0);
    EXPECT_EQ(b.pos, 1.0);
    for (const GradientKnot& k : {a, b})
    {
      EXPECT_EQ(k.brightness, 1.0);
      EXPECT_EQ(k.bias, 0.5);
      EXPECT_EQ(k.interpolation, GRADIENT_INTERPOLATION_TYPE::SMOOTHKNOT);
    }
  }
  BaseShader::Free(shader);
}

TEST(QuorvaneShaderTest, InitRenderMakesTheCellAndDetailNoiseShaders)
{
  BaseShader* shader = NewShader();
  NoiseShaderSpy spy;
  ASSERT_EQ(shader->InitRender(InitRenderStruct()), INITRENDERRESULT::OK);
  ASSERT_EQ(spy.made.size(), 2u);
  const BaseShader* cell = spy.made[0];
  const BaseShader* detail = spy.made[1];
  EXPECT_EQ(cell->GetDataInstance()->GetInt32(SLA_NOISE_NOISE), 2027);
  EXPECT_EQ(cell->GetDataInstance()->GetVector(SLA_NOISE_COLOR1), Vector(0.0));
  EXPECT_EQ(cell->GetDataInstance()->GetVector(SLA_NOISE_COLOR2), Vector(1.0));
  EXPECT_EQ(cell->GetDataInstance()->GetInt32(SLA_NOISE_SPACE), SLA_NOISE_SPACE_UV);
  EXPECT_EQ(Param(cell, SLA_NOISE_GLOBAL_SCALE), 4.0);
  EXPECT_EQ(Param(cell, SLA_NOISE_LOW_CLIP), 0.25);
  EXPECT_NEAR(Param(cell, SLA_NOISE_HIGH_CLIP), 0.4, 1e-12);
  EXPECT_EQ(cell->GetDataInstance()->GetInt32(SLA_NOISE_SEED), 304);
  EXPECT_EQ(detail->GetDataInstance()->GetInt32(SLA_NOISE_NOISE), 2008);
  EXPECT_EQ(Param(detail, SLA_NOISE_OCTAVES), 5.0);
  EXPECT_EQ(Param(detail, SLA_NOISE_GLOBAL_SCALE), 2.0);
  EXPECT_EQ(Param(detail, SLA_NOISE_LOW_CLIP), 0.0);
  EXPECT_EQ(Param(detail, SLA_NOISE_HIGH_CLIP), 1.0);
  EXPECT_EQ(detail->GetDataInstance()->GetInt32(SLA_NOISE_SEED), 665);
  EXPECT_EQ(cell->GetRenderInitCount(), 1);
  EXPECT_EQ(detail->GetRenderInitCount(), 1);
  shader->FreeRender();
  BaseShader::Free(shader);
}

TEST(QuorvaneShaderTest, SharpnessAndThresholdGiveTheClampedHighClip)
{
  for (const auto& [sharpness, highClip] : {std::pair{0.0, 1.0}, {1.0, 0.25}, {2.0, 0.0}})
  {
    BaseShader* shader = NewShader();
    shader->GetDataInstance()->SetFloat(2004, sharpness);
    shader->GetDataInstance()->SetInt32(2001, 1);
    NoiseShaderSpy spy;
    shader->InitRender(InitRenderStruct());
    ASSERT_EQ(spy.made.size(), 2u);
    EXPECT_NEAR(Param(spy.made[0], SLA_NOISE_HIGH_CLIP), highClip, 1e-12) << "sharpness " << sharpness;
    EXPECT_EQ(spy.made[0]->GetDataInstance()->GetInt32(SLA_NOISE_NOISE), 2025);
    shader->FreeRender();
    BaseShader::Free(shader);
  }
}

TEST(QuorvaneShaderTest, ASecondInitRenderKeepsTheNoiseShadersUntilFreeRender)
{
  BaseShader* shader = NewShader();
  NoiseShaderSpy spy;
  shader->InitRender(InitRenderStruct());
  shader->GetDataInstance()->SetInt32(5004, 1);
  shader->InitRender(InitRenderStruct());
  ASSERT_EQ(spy.made.size(), 2u) << "no new noise shaders while prepared";
  EXPECT_EQ(spy.made[1]->GetDataInstance()->GetInt32(SLA_NOISE_NOISE), 2008) << "the type waits for the next render";
  shader->FreeRender();
  shader->InitRender(InitRenderStruct());
  ASSERT_EQ(spy.made.size(), 4u);
  EXPECT_EQ(spy.made[3]->GetDataInstance()->GetInt32(SLA_NOISE_NOISE), 2001);
  shader->FreeRender();
  BaseShader::Free(shader);
}

TEST(QuorvaneShaderTest, FreeRenderWithoutInitRenderAndFreeWhilePreparedLeaveNoNodeBehind)
{
  EnsureModuleLoaded();
  const Int64 before = qhost::NodeCore::LiveCount();
  NoiseShaderSpy spy;
  BaseShader* shader = NewShader();
  shader->FreeRender();
  EXPECT_TRUE(spy.made.empty()) << "nothing to release before the first render";
  shader->InitRender(InitRenderStruct());
  ASSERT_EQ(spy.made.size(), 2u);
  EXPECT_EQ(qhost::NodeCore::LiveCount(), before + 3);
  BaseShader::Free(shader); // frees the prepared noise shaders too
  EXPECT_EQ(qhost::NodeCore::LiveCount(), before);
}

TEST(QuorvaneShaderTest, RenderInfoAnnouncesBumpSupport)
{
  BaseShader* shader = NewShader();
  EXPECT_EQ(shader->GetNodeData<ShaderData>()->GetRenderInfo(shader), SHADERINFO::BUMP_SUPPORT);
  BaseShader::Free(shader);
}

// ---- Enabling ------------------------------------------------------------------

struct MaterialScene
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  RenderData* settings = RenderData::Alloc();
  BaseShader* shader = NewShader();

  explicit MaterialScene(Int32 engine = RDATA_RENDERENGINE_STANDARD)
  {
    doc->InsertMaterial(material);
    doc->InsertRenderData(settings);
    doc->SetActiveRenderData(settings);
    settings->GetDataInstance()->SetInt32(RDATA_RENDERENGINE, engine);
    material->InsertShader(shader);
  }
  ~MaterialScene() { BaseDocument::Free(doc); }

  Bool Enabled(Int32 id) const
  {
    return shader->GetNodeData()->GetDEnabling(shader, DescID(id), GeData(), DESCFLAGS_ENABLE::NONE, nullptr);
  }
  BaseShader* Channel(Int32 channel) const
  {
    BaseChannel* ch = material->GetChannel(channel);
    return ch ? ch->GetShader() : nullptr;
  }
  void Press(Int32 id)
  {
    DescriptionCommand command{DescID(id)};
    shader->Message(MSG_DESCRIPTION_COMMAND, &command);
  }
  // Puts another shader into a channel directly.
  void Put(Int32 channel, BaseShader* other)
  {
    material->InsertShader(other);
    material->GetDataInstance()->SetLink(channel == CHANNEL_BUMP ? MATERIAL_BUMP_SHADER : MATERIAL_DISPLACEMENT_SHADER,
                                          other);
  }
};

TEST(QuorvaneShaderEnablingTest, ModeDecidesWhichGradientIsEnabled)
{
  MaterialScene scene;
  EXPECT_TRUE(scene.Enabled(5002));
  EXPECT_TRUE(scene.Enabled(5003));
  EXPECT_FALSE(scene.Enabled(6001));
  scene.shader->GetDataInstance()->SetInt32(2000, 1);
  EXPECT_FALSE(scene.Enabled(5002));
  EXPECT_FALSE(scene.Enabled(5003));
  EXPECT_TRUE(scene.Enabled(6001));
  scene.shader->GetDataInstance()->SetInt32(2000, 2);
  EXPECT_FALSE(scene.Enabled(5002));
  EXPECT_FALSE(scene.Enabled(6001));
  EXPECT_TRUE(scene.Enabled(2003)) << "other parameters are always enabled";
}

TEST(QuorvaneShaderEnablingTest, PlacingButtonsNeedAStandardOrPhysicalEngine)
{
  for (const auto& [engine, enabled] :
       {std::pair{RDATA_RENDERENGINE_STANDARD, true}, {RDATA_RENDERENGINE_PHYSICAL, true}, {1037639, false}})
  {
    MaterialScene scene(engine);
    EXPECT_EQ(scene.Enabled(9201), enabled) << engine;
    EXPECT_EQ(scene.Enabled(9202), enabled) << engine;
  }
  BaseShader* loose = NewShader();
  EXPECT_FALSE(loose->GetNodeData()->GetDEnabling(loose, DescID(9201), GeData(), DESCFLAGS_ENABLE::NONE, nullptr))
      << "a shader in no document has no render engine";
  BaseShader::Free(loose);
}

TEST(QuorvaneShaderEnablingTest, AShaderInItsDisplacementChannelDisablesBothButtons)
{
  MaterialScene scene;
  scene.Put(CHANNEL_DISPLACEMENT, scene.shader);
  EXPECT_FALSE(scene.Enabled(9201));
  EXPECT_FALSE(scene.Enabled(9202));
}

// ---- Placing into a channel ---------------------------------------------------

TEST(QuorvaneShaderButtonsTest, PlacingIntoAnEmptyChannelInsertsAHeightClone)
{
  MaterialScene scene;
  const Int32 events = qhost::Host::Instance().CoreServicesObject().EventCount();
  scene.Press(9201);
  BaseShader* placed = scene.Channel(CHANNEL_BUMP);
  ASSERT_NE(placed, nullptr);
  EXPECT_NE(placed, scene.shader);
  EXPECT_EQ(placed->GetType(), kQuorvaneShader);
  EXPECT_EQ(placed->GetDataInstance()->GetInt32(2000), 1);
  EXPECT_EQ(placed->GetMain(), scene.material);
  EXPECT_EQ(scene.material->GetDataInstance()->GetInt32(MATERIAL_USE_BUMP), 1);
  EXPECT_GT(qhost::Host::Instance().CoreServicesObject().EventCount(), events);
  EXPECT_EQ(scene.shader->GetDataInstance()->GetInt32(2000), 0) << "the pressed shader itself is unchanged";

  scene.Press(9202);
  ASSERT_NE(scene.Channel(CHANNEL_DISPLACEMENT), nullptr);
  EXPECT_EQ(scene.material->GetDataInstance()->GetInt32(MATERIAL_USE_DISPLACEMENT), 1);
}

TEST(QuorvaneShaderButtonsTest, PlacingOverAnotherQuorvaneShaderCopiesOnlyThePattern)
{
  MaterialScene scene;
  BaseShader* existing = NewShader();
  existing->GetDataInstance()->SetFloat(10000, 0.3);
  existing->GetDataInstance()->SetFloat(5005, 0.1);
  scene.Put(CHANNEL_BUMP, existing);
  BaseContainer& mine = *scene.shader->GetDataInstance();
  mine.SetInt32(5004, 3);
  mine.SetFloat(5001, 7.0);
  mine.SetInt32(5000, 11);
  mine.SetInt32(2001, 1);
  mine.SetFloat(2003, 9.0);
  mine.SetFloat(2005, 0.4);
  mine.SetFloat(2004, 0.6);
  mine.SetInt32(2002, 12);
  mine.SetFloat(10000, 0.9);
  scene.Press(9201);

  ASSERT_EQ(scene.Channel(CHANNEL_BUMP), existing);
  const BaseContainer& bc = *existing->GetDataInstance();
  EXPECT_EQ(bc.GetInt32(2000), 1);
  EXPECT_EQ(bc.GetInt32(5004), 3);
  EXPECT_EQ(bc.GetFloat(5001), 7.0);
  EXPECT_EQ(bc.GetInt32(5000), 11);
  EXPECT_EQ(bc.GetInt32(2001), 1);
  EXPECT_EQ(bc.GetFloat(2003), 9.0);
  EXPECT_EQ(bc.GetFloat(2005), 0.4);
  EXPECT_EQ(bc.GetFloat(2004), 0.6);
  EXPECT_EQ(bc.GetInt32(2002), 12);
  EXPECT_EQ(bc.GetFloat(10000), 0.3) << "colour corrections stay";
  EXPECT_EQ(bc.GetFloat(5005), 0.1);
}

// A layer shader whose first layers are a folder and an effect, then a shader
// layer showing inner (optionally a nested layer shader).
LayerShader* LayerShaderWith(BaseShader* inner)
{
  auto* layers = static_cast<LayerShader*>(BaseShader::Alloc(Xlayer));
  layers->AddLayer(TypeFolder);
  layers->AddLayer(TypeEffect);
  LayerShaderLayer* layer = layers->AddLayer(TypeShader);
  layers->InsertShader(inner);
  layers->SetLayerShader(layer, inner);
  return layers;
}

TEST(QuorvaneShaderButtonsTest, PlacingFindsAQuorvaneShaderNestedInLayerShaders)
{
  MaterialScene scene;
  BaseShader* nested = NewShader();
  LayerShader* inner = LayerShaderWith(nested);
  LayerShader* outer = LayerShaderWith(inner);
  scene.Put(CHANNEL_DISPLACEMENT, outer);
  scene.shader->GetDataInstance()->SetInt32(2002, 77);
  scene.Press(9202);
  EXPECT_EQ(scene.Channel(CHANNEL_DISPLACEMENT), outer) << "the layer shader stays";
  EXPECT_EQ(nested->GetDataInstance()->GetInt32(2002), 77);
  EXPECT_EQ(nested->GetDataInstance()->GetInt32(2000), 1);
  EXPECT_TRUE(scene.Enabled(9201)) << "the shader in the layers is another one";
  EXPECT_FALSE(nested->GetNodeData()->GetDEnabling(nested, DescID(9201), GeData(), DESCFLAGS_ENABLE::NONE, nullptr))
      << "the nested shader sits in the displacement channel";
}

TEST(QuorvaneShaderButtonsTest, ALayerShaderWithoutOneIsReplacedByTheClone)
{
  MaterialScene scene;
  BaseShader* noise = BaseShader::Alloc(Xnoise);
  scene.Put(CHANNEL_BUMP, LayerShaderWith(noise));
  scene.Press(9201);
  BaseShader* placed = scene.Channel(CHANNEL_BUMP);
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->GetType(), kQuorvaneShader);
  for (BaseShader* s = scene.material->GetFirstShader(); s; s = s->GetNext())
    EXPECT_NE(s->GetType(), Xlayer) << "the old layer shader is gone";
}

TEST(QuorvaneShaderButtonsTest, AFailedCloneLeavesTheChannelAsItWas)
{
  MaterialScene scene;
  BaseShader* old = BaseShader::Alloc(Xnoise);
  scene.Put(CHANNEL_BUMP, old);
  scene.material->GetDataInstance()->SetInt32(MATERIAL_USE_BUMP, 1);
  qhost::NodeFactory::Instance().SetCreateHook(
      [](NodeClass kind, Int32 type) { return !(kind == NodeClass::Shader && type == kQuorvaneShader); });
  scene.Press(9201);
  qhost::NodeFactory::Instance().SetCreateHook(nullptr);
  EXPECT_EQ(scene.Channel(CHANNEL_BUMP), old) << "the user's shader is kept";
  EXPECT_EQ(scene.material->GetDataInstance()->GetInt32(MATERIAL_USE_BUMP), 1);
}

TEST(QuorvaneShaderButtonsTest, AShaderOutsideAStandardMaterialDoesNothing)
{
  BaseShader* shader = NewShader();
  DescriptionCommand command{DescID(9201)};
  EXPECT_TRUE(shader->Message(MSG_DESCRIPTION_COMMAND, &command));
  BaseShader::Free(shader);
}

TEST(QuorvaneShaderButtonsTest, AboutShowsThreeLines)
{
  BaseShader* shader = NewShader();
  auto& core = qhost::Host::Instance().CoreServicesObject();
  const size_t before = core.Dialogs().size();
  DescriptionCommand command{DescID(9203)};
  shader->Message(MSG_DESCRIPTION_COMMAND, &command);
  ASSERT_EQ(core.Dialogs().size(), before + 1);
  const std::string text = core.Dialogs().back();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  BaseShader::Free(shader);
}

} // namespace
} // namespace qtest
