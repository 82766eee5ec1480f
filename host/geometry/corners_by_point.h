// The polygon corners around each point, so per-point work can run in parallel
// on disjoint sets of corners.
#pragma once

#include <span>

#include "host/geometry/point_buckets.h"
#include "hostapi/types.h"

namespace qhost {

// The corner slots (polygon * 4 + corner) of each point, ascending. A
// triangle's d is not a corner.
using CornersByPoint = PointBuckets<Int32>;

// Groups the corners of `polygons` by point, whatever the thread count in the
// same order.
CornersByPoint GroupCornersByPoint(std::span<const CPolygon> polygons);

} // namespace qhost
