#include "host/shading/shading_host.h"

#include "host/shading/host_gradient.h"
#include "host/shading/layer_shader.h"
#include "host/shading/material_node.h"
#include "host/shading/noise_shader.h"
#include "host/shading/shader_node.h"
#include "host/shading/texture_tag.h"

namespace qhost {

void RegisterShadingTypes(NodeFactory& factory)
{
  RegisterGradientType(factory);
  RegisterShaderCarrier(factory);
  RegisterNoiseShaderType(factory);
  RegisterLayerShaderType(factory);
  RegisterMaterialType(factory);
  RegisterTextureTagType(factory);
}

} // namespace qhost
