#include "host/shading/material_node.h"

#include <gtest/gtest.h>

#include "host/core/node_core.h"
#include "shading_test_support.h"

namespace qhost {
namespace {

struct Scene
{
  Scene()
  {
    test::UseHost();
    doc = BaseDocument::Alloc();
  }
  ~Scene() { BaseDocument::Free(doc); }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  BaseMaterial* AddMaterial()
  {
    BaseMaterial* m = BaseMaterial::Alloc(Mmaterial);
    doc->InsertMaterial(m, nullptr);
    return m;
  }

  BaseDocument* doc = nullptr;
};

TEST(MaterialChannels, StandardChannelsOnlyWithTheirDefaults)
{
  test::UseHost();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  ASSERT_NE(material, nullptr);
  for (const Int32 channel : {CHANNEL_COLOR, CHANNEL_BUMP, CHANNEL_DISPLACEMENT})
  {
    ASSERT_NE(material->GetChannel(channel), nullptr) << channel;
    EXPECT_EQ(material->GetChannel(channel)->GetShader(), nullptr) << channel;
  }
  EXPECT_EQ(material->GetChannel(1), nullptr);
  EXPECT_EQ(material->GetChannel(-1), nullptr);
  const BaseContainer& bc = *material->GetDataInstance();
  EXPECT_TRUE(bc.GetBool(MATERIAL_USE_COLOR));
  EXPECT_FALSE(bc.GetBool(MATERIAL_USE_BUMP));
  EXPECT_FALSE(bc.GetBool(MATERIAL_USE_DISPLACEMENT));
  EXPECT_EQ(bc.GetVector(kMaterialColorValue), Vector(0.8));
  BaseMaterial::Free(material);
}

TEST(MaterialChannels, LinksResolveToOwnShadersWithoutADocument)
{
  test::UseHost();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  BaseShader* colour = test::ConstantShader(Vector(0.5));
  BaseShader* bump = test::ConstantShader(Vector(0.1));
  material->InsertShader(colour, nullptr);
  material->InsertShader(bump, colour);
  material->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, colour);
  material->GetDataInstance()->SetLink(MATERIAL_BUMP_SHADER, bump);
  EXPECT_EQ(material->GetChannel(CHANNEL_COLOR)->GetShader(), colour);
  EXPECT_EQ(material->GetChannel(CHANNEL_BUMP)->GetShader(), bump);
  EXPECT_EQ(material->GetChannel(CHANNEL_DISPLACEMENT)->GetShader(), nullptr);
  EXPECT_EQ(colour->GetMain(), material);
  EXPECT_EQ(material->GetDocument(), nullptr);

  // A link that names nothing the material can reach resolves to nothing.
  BaseShader* loose = test::ConstantShader(Vector(0.5));
  material->GetDataInstance()->SetLink(MATERIAL_DISPLACEMENT_SHADER, loose);
  EXPECT_EQ(material->GetChannel(CHANNEL_DISPLACEMENT)->GetShader(), nullptr);
  BaseShader::Free(loose);
  BaseMaterial::Free(material);
}

TEST(MaterialChannels, LinksToOtherShadersResolveInTheDocument)
{
  Scene scene;
  BaseMaterial* first = scene.AddMaterial();
  BaseMaterial* second = scene.AddMaterial();
  BaseShader* shared = test::ConstantShader(Vector(0.3));
  first->InsertShader(shared, nullptr);
  second->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, shared);
  EXPECT_EQ(second->GetChannel(CHANNEL_COLOR)->GetShader(), shared);
  shared->Remove();
  EXPECT_EQ(second->GetChannel(CHANNEL_COLOR)->GetShader(), nullptr);
  BaseShader::Free(shared);
}

TEST(MaterialChannels, ClonesLinkTheirOwnCopies)
{
  Scene scene;
  BaseMaterial* material = scene.AddMaterial();
  BaseShader* colour = test::ConstantShader(Vector(0.5));
  material->InsertShader(test::ConstantShader(Vector(0.1)), nullptr);
  material->InsertShader(colour, material->GetFirstShader());
  material->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, colour);

  auto* clone = static_cast<BaseMaterial*>(material->GetClone(COPYFLAGS::NONE, nullptr));
  ASSERT_NE(clone, nullptr);
  BaseShader* copied = clone->GetChannel(CHANNEL_COLOR)->GetShader();
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, colour);
  EXPECT_EQ(copied, clone->GetFirstShader()->GetNext());
  EXPECT_EQ(copied->GetMain(), clone);
  BaseMaterial::Free(clone);
}

TEST(MaterialUpdates, MessagesAndUpdatesAreCounted)
{
  test::UseHost();
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  auto* node = As<MaterialNode>(material);
  ASSERT_NE(node, nullptr);
  const UInt32 dirty = material->GetDirty(DIRTYFLAGS_DATA);
  material->Message(MSG_UPDATE);
  material->Message(MSG_UPDATE);
  material->Message(MSG_CHANGE);
  material->Update(true, true);
  EXPECT_EQ(node->UpdateMessageCount(), 2);
  EXPECT_EQ(node->UpdateCount(), 1);
  EXPECT_GT(material->GetDirty(DIRTYFLAGS_DATA), dirty);
  BaseMaterial::Free(material);
}

TEST(RenderSettings, HoldTheRenderEngine)
{
  Scene scene;
  RenderData* rd = RenderData::Alloc();
  rd->GetDataInstance()->SetInt32(RDATA_RENDERENGINE, RDATA_RENDERENGINE_PHYSICAL);
  scene.doc->InsertRenderData(rd);
  scene.doc->SetActiveRenderData(rd);
  ASSERT_EQ(scene.doc->GetActiveRenderData(), rd);
  EXPECT_EQ(scene.doc->GetActiveRenderData()->GetDataInstance()->GetInt32(RDATA_RENDERENGINE),
            RDATA_RENDERENGINE_PHYSICAL);
}

} // namespace
} // namespace qhost
