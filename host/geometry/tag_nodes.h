// The host's tags on objects: Phong (smoothing angle), polygon selection (a
// named SelectSet of polygon indices) and UVW (corner coordinates per polygon).
#pragma once

#include <vector>

#include "host/core/node_core.h"
#include "host/geometry/select_set.h"

namespace qhost {

class NodeFactory;

// The object owning a tag's branch, or null for a tag on its own.
BaseObject* TagOwnerObject(const NodeCore& tag);

// Phong smoothing: PHONGTAG_PHONG_ANGLELIMIT (Bool) and PHONGTAG_PHONG_ANGLE
// (Float, radians) in its container.
class PhongTagNode final : public Node<BaseTag>
{
public:
  PhongTagNode();
  BaseObject* GetObject() const override { return TagOwnerObject(*this); }
};

class PolygonSelectionTagNode final : public Node<SelectionTag>
{
public:
  PolygonSelectionTagNode() : Node(NodeClass::Tag, Tpolygonselection) {}
  BaseObject* GetObject() const override { return TagOwnerObject(*this); }
  // The set is the tag's own; callers change it in place.
  BaseSelect* GetBaseSelect() const override { return &selection_; }

  SelectSet& Selection() const { return selection_; }

protected:
  void CopyStateTo(NodeCore& dest) const override;

private:
  mutable SelectSet selection_;
};

class UVWTagNode final : public Node<UVWTag>
{
public:
  UVWTagNode() : Node(NodeClass::Tag, Tuvw) {}
  BaseObject* GetObject() const override { return TagOwnerObject(*this); }

  Int32 GetDataCount() const override { return Int32(uvws_.size()); }
  // Zero coordinates for a polygon out of range.
  UVWStruct GetSlow(Int32 polygon) const override;
  // Ignored for a polygon out of range.
  void SetSlow(Int32 polygon, const UVWStruct& uvw) override;

  const std::vector<UVWStruct>& UVWs() const { return uvws_; }
  void SetUVWs(std::vector<UVWStruct> uvws);
  // Moves the coordinates out, leaving the tag empty.
  std::vector<UVWStruct> TakeUVWs();
  // New polygons get zero coordinates.
  void Resize(Int32 polygonCount);

protected:
  void CopyStateTo(NodeCore& dest) const override;

private:
  std::vector<UVWStruct> uvws_;
};

// Keeps a per-polygon tag (UVW) at one entry per polygon of its object.
void FitTagToPolygons(NodeCore& tag, Int32 polygonCount);

void RegisterTagTypes(NodeFactory& factory);

} // namespace qhost
