#include "host/geometry/geometry_services.h"

#include <new>

#include "host/core/node_factory.h"
#include "host/geometry/modeling_commands.h"
#include "host/geometry/neighbor_rings.h"
#include "host/geometry/object_node.h"
#include "host/geometry/select_set.h"
#include "host/geometry/selection_changer.h"

namespace qhost {

Bool GeometryServicesImpl::SendModelingCommand(Int32 command, ModelingCommandData& data)
{
  return RunModelingCommand(command, data);
}

PolygonObject* GeometryServicesImpl::AllocPolygonObject(Int32 pointCount, Int32 polygonCount)
{
  if (pointCount < 0 || polygonCount < 0)
    return nullptr;
  auto* object = dynamic_cast<ObjectNode*>(NodeFactory::Instance().Create(NodeClass::Object, Opolygon));
  if (object && !object->ResizeObject(pointCount, polygonCount))
  {
    DestroyNode(object);
    return nullptr;
  }
  return object;
}

BaseSelect* GeometryServicesImpl::AllocSelect() { return new (std::nothrow) SelectSet(); }
void GeometryServicesImpl::FreeSelect(BaseSelect* sel) { delete static_cast<SelectSet*>(sel); }

SelectionChanger* GeometryServicesImpl::AllocSelectionChanger() { return new (std::nothrow) PointSelectionChanger(); }
void GeometryServicesImpl::FreeSelectionChanger(SelectionChanger* sc)
{
  delete static_cast<PointSelectionChanger*>(sc);
}

Neighbor* GeometryServicesImpl::AllocNeighbor() { return new (std::nothrow) NeighborRings(); }
void GeometryServicesImpl::FreeNeighbor(Neighbor* nb) { delete static_cast<NeighborRings*>(nb); }

GeometryServices& GeometryServicesInstance()
{
  static GeometryServicesImpl services;
  return services;
}

} // namespace qhost
