// Converts a polygon selection into the selection of the polygons' points.
#pragma once

#include "host/geometry/select_set.h"

namespace qhost {

class PointSelectionChanger final : public SelectionChanger
{
public:
  ~PointSelectionChanger() override = default;

  // SELECTIONMODE_POLYGONS only. False (and GetPointS null) for null
  // arguments, other modes, or a selected polygon index or corner point out
  // of the object's range.
  Bool InitFromSelection(const BaseSelect* sel, Int32 mode, const PolygonObject* op) override;
  BaseSelect* GetPointS() const override { return valid_ ? &points_ : nullptr; }

private:
  mutable SelectSet points_;
  bool valid_ = false;
};

} // namespace qhost
