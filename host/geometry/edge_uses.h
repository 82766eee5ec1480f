// The sides of every polygon, grouped by the edge they lie on.
#pragma once

#include <span>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// One polygon side. The end points are ordered (low < high) so every side on the
// same edge compares equal; the corners say where those points sit in the polygon.
struct EdgeUse
{
  Int32 low = 0;
  Int32 high = 0;
  Int32 polygon = 0;
  Int32 lowCorner = 0;
  Int32 highCorner = 0;
};

// All non-degenerate sides of all polygons, sorted by (low, high, polygon), so the
// uses of one edge form a contiguous run. Point indices must be valid. The order,
// also of sides that tie on all three keys, does not depend on the thread count.
std::vector<EdgeUse> CollectEdgeUses(std::span<const CPolygon> polygons);

// Puts the uses that share one low point, given in any order, in the order
// CollectEdgeUses has them.
void SortEdgeUsesOfLowPoint(std::span<EdgeUse> uses);

// Length of the run of uses of the same edge that starts at `first`.
std::size_t EdgeRunLength(std::span<const EdgeUse> uses, std::size_t first);

} // namespace qhost
