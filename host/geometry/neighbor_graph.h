// One-ring adjacency of a polygon mesh: for every point, the points it shares an
// edge with, stored as flat CSR arrays so per-point walks touch contiguous memory.
#pragma once

#include <span>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

class NeighborGraph
{
public:
  // Builds the rings for `pointCount` points. A triangle's repeated d is not an
  // edge. Returns false and leaves the graph empty if a polygon names a point
  // outside [0, pointCount).
  bool Build(Int32 pointCount, std::span<const CPolygon> polygons);

  Int32 GetPointCount() const { return static_cast<Int32>(offsets_.empty() ? 0 : offsets_.size() - 1); }

  // Neighbours of `point` (in [0, GetPointCount())) in ascending order; empty for
  // points no polygon uses.
  std::span<const Int32> OneRing(Int32 point) const
  {
    const auto begin = static_cast<std::size_t>(offsets_[point]);
    const auto end = static_cast<std::size_t>(offsets_[point + 1]);
    return std::span<const Int32>(indices_).subspan(begin, end - begin);
  }

private:
  std::vector<Int32> offsets_;  // pointCount + 1 entries
  std::vector<Int32> indices_;
};

} // namespace qhost
