#include "host/geometry/tag_nodes.h"

#include <utility>

#include "host/core/node_factory.h"

namespace qhost {
namespace {

// Smoothing across edges up to 80 degrees, with the limit off, as a new tag has.
constexpr Float kDefaultPhongAngle = 80.0 * kPi / 180.0;

} // namespace

BaseObject* TagOwnerObject(const NodeCore& tag)
{
  NodeCore* owner = tag.Owner();
  return owner && owner->Kind() == NodeClass::Object ? static_cast<BaseObject*>(owner->Api()) : nullptr;
}

PhongTagNode::PhongTagNode() : Node(NodeClass::Tag, Tphong)
{
  data.SetBool(PHONGTAG_PHONG_ANGLELIMIT, false);
  data.SetFloat(PHONGTAG_PHONG_ANGLE, kDefaultPhongAngle);
}

void PolygonSelectionTagNode::CopyStateTo(NodeCore& dest) const
{
  selection_.CopyTo(&static_cast<PolygonSelectionTagNode&>(dest).selection_);
}

UVWStruct UVWTagNode::GetSlow(Int32 polygon) const
{
  return polygon >= 0 && polygon < GetDataCount() ? uvws_[size_t(polygon)] : UVWStruct{};
}

void UVWTagNode::SetSlow(Int32 polygon, const UVWStruct& uvw)
{
  if (polygon < 0 || polygon >= GetDataCount())
    return;
  uvws_[size_t(polygon)] = uvw;
  NodeCore::SetDirty(DIRTYFLAGS_DATA);
}

std::vector<UVWStruct> UVWTagNode::TakeUVWs()
{
  NodeCore::SetDirty(DIRTYFLAGS_DATA);
  return std::exchange(uvws_, {});
}

void UVWTagNode::SetUVWs(std::vector<UVWStruct> uvws)
{
  uvws_ = std::move(uvws);
  NodeCore::SetDirty(DIRTYFLAGS_DATA);
}

void UVWTagNode::Resize(Int32 polygonCount)
{
  if (polygonCount < 0 || size_t(polygonCount) == uvws_.size())
    return;
  uvws_.resize(size_t(polygonCount));
  NodeCore::SetDirty(DIRTYFLAGS_DATA);
}

void UVWTagNode::CopyStateTo(NodeCore& dest) const { static_cast<UVWTagNode&>(dest).uvws_ = uvws_; }

void FitTagToPolygons(NodeCore& tag, Int32 polygonCount)
{
  if (auto* uvw = dynamic_cast<UVWTagNode*>(&tag))
    uvw->Resize(polygonCount);
}

void RegisterTagTypes(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Tag, Tphong, "Phong", 0, [] { return new PhongTagNode(); });
  factory.RegisterType(NodeClass::Tag, Tpolygonselection, "Polygon Selection", 0,
                       [] { return new PolygonSelectionTagNode(); });
  factory.RegisterType(NodeClass::Tag, Tuvw, "UVW", 0, [] { return new UVWTagNode(); });
}

} // namespace qhost
