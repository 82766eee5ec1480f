#include "host/shading/shader_node.h"

namespace qhost {

INITRENDERRESULT ShaderNode::InitRender(const InitRenderStruct& irs)
{
  ShaderData* plugin = Plugin();
  const INITRENDERRESULT result = plugin ? plugin->InitRender(this, irs) : INITRENDERRESULT::OK;
  if (result == INITRENDERRESULT::OK)
    ++renderInitCount_;
  return result;
}

void ShaderNode::FreeRender()
{
  if (ShaderData* plugin = Plugin())
    plugin->FreeRender(this);
  if (renderInitCount_ > 0)
    --renderInitCount_;
}

Vector ShaderNode::Sample(ChannelData* cd) const
{
  const ShaderData* plugin = Plugin();
  return plugin && cd ? plugin->Output(this, cd) : Vector();
}

void RegisterShaderCarrier(NodeFactory& factory)
{
  factory.RegisterPluginCarrier(NodeClass::Shader, [](Int32 type) -> NodeCore* { return new ShaderNode(type); });
}

} // namespace qhost
