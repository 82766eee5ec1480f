// The node that carries a plug-in shader: render preparation is counted and
// handed to the plug-in's ShaderData, samples go straight to its Output.
#pragma once

#include "host/core/node_factory.h"

namespace qhost {

class ShaderNode final : public Node<BaseShader>
{
public:
  explicit ShaderNode(Int32 type) : Node(NodeClass::Shader, type) {}

  // Counts a successful preparation; a failed one needs no FreeRender.
  INITRENDERRESULT InitRender(const InitRenderStruct& irs) override;
  // Hands the release to the plug-in and counts down; the count never drops
  // below zero. A node may be freed while prepared: the plug-in's Free then
  // releases what its render left behind.
  void FreeRender() override;
  // No lock, no allocation: one virtual call into the plug-in.
  Vector Sample(ChannelData* cd) const override;
  Int32 GetRenderInitCount() const override { return renderInitCount_; }

private:
  ShaderData* Plugin() const { return static_cast<ShaderData*>(PluginData()); }

  Int32 renderInitCount_ = 0;
};

// Makes ShaderNode the carrier of every plug-in shader.
void RegisterShaderCarrier(NodeFactory& factory);

} // namespace qhost
