// The host's default behaviour of every plug-in hook.
#include "hostapi/plugin.h"

Bool NodeData::Init(GeListNode*, Bool) { return true; }
void NodeData::Free(GeListNode*) {}
Bool NodeData::Message(GeListNode*, Int32, void*) { return true; }
Bool NodeData::GetDDescription(const GeListNode*, Description*, DESCFLAGS_DESC&) const { return true; }
Bool NodeData::GetDEnabling(const GeListNode*, const DescID&, const GeData&, DESCFLAGS_ENABLE,
                            const BaseContainer*) const
{
  return true;
}

void ObjectData::GetDimension(const BaseObject*, Vector* mp, Vector* rad) const
{
  if (mp)
    *mp = Vector();
  if (rad)
    *rad = Vector();
}
BaseObject* ObjectData::GetVirtualObjects(BaseObject*, const HierarchyHelp*) { return nullptr; }

INITRENDERRESULT ShaderData::InitRender(BaseShader*, const InitRenderStruct&) { return INITRENDERRESULT::OK; }
void ShaderData::FreeRender(BaseShader*) {}
Vector ShaderData::Output(const BaseShader*, ChannelData*) const { return Vector(); }
SHADERINFO ShaderData::GetRenderInfo(BaseShader*) { return SHADERINFO::NONE; }
