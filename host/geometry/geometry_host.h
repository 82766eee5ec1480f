// What the geometry family contributes to the host: its services and node types.
#pragma once

#include "host/core/node_factory.h"
#include "host/geometry/geometry_services.h"

namespace qhost {

// Object types (null, polygon, the primitives, the plug-in object carrier)
// and tag types (Phong, polygon selection, UVW).
void RegisterGeometryTypes(NodeFactory& factory);

} // namespace qhost
