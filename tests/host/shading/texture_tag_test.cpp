#include "host/shading/texture_tag.h"

#include <gtest/gtest.h>

#include "shading_test_support.h"

namespace qhost {
namespace {

TEST(TextureTag, NamesAMaterialOfTheDocumentAndAProjection)
{
  test::UseHost();
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* object = BaseObject::Alloc(Onull);
  doc->InsertObject(object, nullptr, nullptr);
  BaseTag* tag = object->MakeTag(kTextureTag);
  ASSERT_TRUE(tag);
  EXPECT_EQ(FindTextureTag(*object), tag);
  EXPECT_EQ(tag->GetObject(), object);
  EXPECT_EQ(TextureTagProjection(*tag), TextureProjection::Uv) << "a new tag projects by UV";
  EXPECT_EQ(TextureTagMaterial(*tag, doc), nullptr) << "and shows no material";

  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  doc->InsertMaterial(material, nullptr);
  BaseShader* shader = BaseShader::Alloc(Xnoise);
  material->InsertShader(shader, nullptr);
  BaseContainer& bc = *tag->GetDataInstance();
  bc.SetLink(kTextureTagMaterial, material);
  bc.SetInt32(kTextureTagProjection, Int32(TextureProjection::Solid));
  EXPECT_EQ(TextureTagMaterial(*tag, doc), material);
  EXPECT_EQ(TextureTagProjection(*tag), TextureProjection::Solid);

  // A link to something that is not a material, or a number that is no
  // projection, reads as nothing and as UV.
  bc.SetLink(kTextureTagMaterial, shader);
  bc.SetInt32(kTextureTagProjection, 7);
  EXPECT_EQ(TextureTagMaterial(*tag, doc), nullptr);
  EXPECT_EQ(TextureTagProjection(*tag), TextureProjection::Uv);
  BaseDocument::Free(doc);
}

} // namespace
} // namespace qhost
