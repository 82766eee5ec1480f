#include "host/core/core_types.h"

#include "host/core/document_node.h"
#include "host/core/simple_nodes.h"

namespace qhost {

void RegisterCoreTypes(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Document, Tbasedocument, "Document", 0, [] { return new DocumentNode(); });
  factory.RegisterType(NodeClass::RenderData, Rbase, "Render Settings", 0, [] { return new RenderDataNode(); });
  factory.RegisterType(NodeClass::Track, CTbase, "Track", 0, [] { return new TrackNode(DescID()); });
}

} // namespace qhost
