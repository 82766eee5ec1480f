#include "host/shading/material_node.h"

#include "host/shading/shader_links.h"

namespace qhost {

BaseShader* MaterialChannel::GetShader() const
{
  const GeData* link = material_.data.GetDataPointer(linkId_);
  if (!link || link->GetType() != DA_ALIASLINK)
    return nullptr;
  return ResolveShaderLink(material_, link->GetBaseLink());
}

bool MaterialChannel::Enabled() const { return material_.data.GetBool(switchId_); }

MaterialNode::MaterialNode()
    : Node(NodeClass::Material, Mmaterial),
      channels_{MaterialChannel(*this, CHANNEL_COLOR, MATERIAL_COLOR_SHADER, MATERIAL_USE_COLOR),
                MaterialChannel(*this, CHANNEL_BUMP, MATERIAL_BUMP_SHADER, MATERIAL_USE_BUMP),
                MaterialChannel(*this, CHANNEL_DISPLACEMENT, MATERIAL_DISPLACEMENT_SHADER, MATERIAL_USE_DISPLACEMENT)}
{
  data.SetVector(kMaterialColorValue, Vector(0.8));
  data.SetInt32(MATERIAL_USE_COLOR, 1);
  data.SetInt32(MATERIAL_USE_BUMP, 0);
  data.SetInt32(MATERIAL_USE_DISPLACEMENT, 0);
}

BaseChannel* MaterialNode::GetChannel(Int32 channel)
{
  for (MaterialChannel& c : channels_)
    if (c.Id() == channel)
      return &c;
  return nullptr;
}

void MaterialNode::Update(Bool, Bool)
{
  ++updates_;
  SetDirty(DIRTYFLAGS_DATA);
}

void MaterialNode::HandleMessage(Int32 type, void* messageData)
{
  if (type == MSG_UPDATE)
    ++updateMessages_;
  NodeCore::HandleMessage(type, messageData);
}

// A cloned material shows the copies of its shaders, not the originals.
void MaterialNode::RelinkClonedBranches(const NodeCore& source)
{
  for (const MaterialChannel& c : channels_)
  {
    const GeData* link = data.GetDataPointer(c.LinkId());
    if (link && link->GetType() == DA_ALIASLINK)
      data.SetData(c.LinkId(), GeData(BaseLink{CopiedShaderUid(source, *this, link->GetBaseLink().uid)}));
  }
}

void RegisterMaterialType(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Material, Mmaterial, "Material", 0, [] { return new MaterialNode(); });
}

} // namespace qhost
