#include "host/shading/shading_host.h"

#include "host/shading/host_gradient.h"
#include "host/shading/layer_shader.h"
#include "host/shading/material_node.h"
#include "host/shading/noise_shader.h"
#include "host/shading/shader_node.h"

namespace qhost {

void RegisterShadingTypes(NodeFactory& factory)
{
  RegisterGradientType(factory);
  RegisterShaderCarrier(factory);
  RegisterNoiseShaderType(factory);
  RegisterLayerShaderType(factory);
  RegisterMaterialType(factory);
}

} // namespace qhost
