#include "host/geometry/selection_changer.h"

#include "host/geometry/polygon_geometry.h"

namespace qhost {

Bool PointSelectionChanger::InitFromSelection(const BaseSelect* sel, Int32 mode, const PolygonObject* op)
{
  valid_ = false;
  points_.DeselectAll();
  if (!sel || !op || mode != SELECTIONMODE_POLYGONS)
    return false;
  const Int32 polygonCount = op->GetPolygonCount();
  const Int32 pointCount = op->GetPointCount();
  const CPolygon* polygons = op->GetPolygonR();
  // The host's own sets are read word by word; GetSelectedIndex walks from
  // the start on every call.
  const auto* set = dynamic_cast<const SelectSet*>(sel);
  const std::vector<Int32> indices = set ? set->ToIndices() : std::vector<Int32>();
  const Int32 selected = sel->GetCount();
  for (Int32 i = 0; i < selected; ++i)
  {
    const Int32 index = set ? indices[size_t(i)] : sel->GetSelectedIndex(i);
    if (index < 0 || index >= polygonCount)
    {
      points_.DeselectAll();
      return false;
    }
    const CPolygon& polygon = polygons[index];
    for (Int32 corner = 0; corner < 4; ++corner)
    {
      const Int32 point = CornerPoint(polygon, corner);
      if (point < 0 || point >= pointCount)
      {
        points_.DeselectAll();
        return false;
      }
      points_.Select(point);
    }
  }
  valid_ = true;
  return true;
}

} // namespace qhost
