#include "host/shading/texture_tag.h"

namespace qhost {

TextureTagNode::TextureTagNode() : Node(NodeClass::Tag, kTextureTag)
{
  data.SetInt32(kTextureTagProjection, Int32(TextureProjection::Uv));
}

BaseObject* TextureTagNode::GetObject() const
{
  NodeCore* owner = Owner();
  return owner && owner->Kind() == NodeClass::Object ? static_cast<BaseObject*>(owner->Api()) : nullptr;
}

BaseTag* FindTextureTag(const BaseObject& op)
{
  for (BaseTag* tag = op.GetFirstTag(); tag; tag = tag->GetNext())
    if (tag->GetType() == kTextureTag)
      return tag;
  return nullptr;
}

BaseMaterial* TextureTagMaterial(const BaseTag& tag, const BaseDocument* doc)
{
  BaseList2D* linked = tag.GetDataInstance()->GetLink(kTextureTagMaterial, doc);
  return linked && Core(linked)->Kind() == NodeClass::Material ? static_cast<BaseMaterial*>(linked) : nullptr;
}

TextureProjection TextureTagProjection(const BaseTag& tag)
{
  const Int32 stored = tag.GetDataInstance()->GetInt32(kTextureTagProjection, Int32(TextureProjection::Uv));
  return stored == Int32(TextureProjection::Solid) ? TextureProjection::Solid : TextureProjection::Uv;
}

void RegisterTextureTagType(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Tag, kTextureTag, "Texture", 0, [] { return new TextureTagNode(); });
}

} // namespace qhost
