// The geometry part of the host interface: modeling commands, polygon objects,
// selections, selection changers and neighbour rings.
#pragma once

#include "hostapi/host_interface.h"

namespace qhost {

class GeometryServicesImpl final : public GeometryServices
{
public:
  Bool SendModelingCommand(Int32 command, ModelingCommandData& data) override;
  // A polygon object with zeroed points and polygons; null for negative counts.
  PolygonObject* AllocPolygonObject(Int32 pointCount, Int32 polygonCount) override;
  BaseSelect* AllocSelect() override;
  void FreeSelect(BaseSelect* sel) override;
  SelectionChanger* AllocSelectionChanger() override;
  void FreeSelectionChanger(SelectionChanger* sc) override;
  Neighbor* AllocNeighbor() override;
  void FreeNeighbor(Neighbor* nb) override;
};

GeometryServices& GeometryServicesInstance();

} // namespace qhost
