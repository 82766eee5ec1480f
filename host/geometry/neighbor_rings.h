// The host's Neighbor: one-ring adjacency over NeighborGraph.
#pragma once

#include "host/geometry/neighbor_graph.h"
#include "hostapi/objects.h"

namespace qhost {

class NeighborRings final : public Neighbor
{
public:
  ~NeighborRings() override = default;

  // With bs, only the selected polygons make edges. False (and an empty
  // graph) for a negative count, missing polygons or a point index out of range.
  Bool Init(Int32 pointCount, const CPolygon* polygons, Int32 polygonCount, const BaseSelect* bs) override;
  // Out-of-range points and an uninitialised graph have no neighbours.
  void GetPointOneRingPoints(Int32 point, const Int32** points, Int32* count) const override;

private:
  NeighborGraph graph_;
};

} // namespace qhost
