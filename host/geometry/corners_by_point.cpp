#include "host/geometry/corners_by_point.h"

#include <algorithm>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

CornersByPoint GroupCornersByPoint(std::span<const CPolygon> polygons)
{
  CornersByPoint corners =
    BucketByPoint<Int32>(polygons, [](const CPolygon& polygon, Int32 index, const auto& emit) {
      for (Int32 corner = 0; corner < CornerCount(polygon); ++corner)
        emit(CornerPoint(polygon, corner), index * 4 + corner);
    });
  SortEachBucket(corners, [](auto begin, auto end) { std::sort(begin, end); });
  return corners;
}

} // namespace qhost
