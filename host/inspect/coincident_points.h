// Merging points that sit at the same position, as a viewer sees them: a file
// that splits points at UV or normal seams describes one surface all the same.
#pragma once

#include <span>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// For every point, the index of the first point with exactly the same
// coordinates (itself when it is the first).
std::vector<Int32> CoincidentPointMap(std::span<const Vector> points);

// The polygons with every corner replaced through the map.
std::vector<CPolygon> RemapPolygons(std::span<const CPolygon> polygons, std::span<const Int32> map);

} // namespace qhost
