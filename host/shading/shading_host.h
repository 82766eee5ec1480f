// What the shading family contributes to the host: its services and types.
#pragma once

#include "host/core/node_factory.h"
#include "host/shading/shading_services.h"

namespace qhost {

// The gradient custom data type, the plug-in shader carrier, the noise and
// layer shaders and the standard material.
void RegisterShadingTypes(NodeFactory& factory);

} // namespace qhost
