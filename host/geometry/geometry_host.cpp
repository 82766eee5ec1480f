#include "host/geometry/geometry_host.h"

#include "host/geometry/object_node.h"
#include "host/geometry/primitive_objects.h"
#include "host/geometry/tag_nodes.h"

namespace qhost {

void RegisterGeometryTypes(NodeFactory& factory)
{
  RegisterObjectTypes(factory);
  RegisterPrimitiveTypes(factory);
  RegisterTagTypes(factory);
}

} // namespace qhost
