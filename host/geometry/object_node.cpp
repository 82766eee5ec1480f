#include "host/geometry/object_node.h"

#include <utility>

#include "host/core/node_factory.h"
#include "host/geometry/hierarchy_clone.h"
#include "host/geometry/tag_nodes.h"

namespace qhost {
namespace {

// The nr-th tag of type in the branch, or null.
NodeCore* FindTag(const NodeList& tags, Int32 type, Int32 nr)
{
  for (NodeCore* n = tags.first; n; n = n->next)
    if (n->Type() == type && nr-- == 0)
      return n;
  return nullptr;
}

// pred if it is in this branch, otherwise null (insert first).
NodeCore* PredInBranch(const NodeList& tags, BaseTag* pred)
{
  NodeCore* p = Core(pred);
  return p && p->list == &tags ? p : nullptr;
}

} // namespace

ObjectNode::ObjectNode(Int32 type) : Node(NodeClass::Object, type) {}

ObjectNode::~ObjectNode() { DestroyNode(std::exchange(cache_, nullptr)); }

void ObjectNode::SetMl(const Matrix& m)
{
  ml_ = m;
  SetDirty(DIRTYFLAGS_MATRIX);
}

Matrix ObjectNode::GetMg() const
{
  const auto* parent = dynamic_cast<const ObjectNode*>(Parent());
  return parent ? parent->GetMg() * ml_ : ml_;
}

BaseTag* ObjectNode::GetFirstTag() const { return static_cast<BaseTag*>(ApiOf(tags.first)); }

BaseTag* ObjectNode::GetTag(Int32 type, Int32 nr) const
{
  return static_cast<BaseTag*>(ApiOf(FindTag(tags, type, nr)));
}

void ObjectNode::InsertTag(BaseTag* tag, BaseTag* pred)
{
  NodeCore* node = Core(tag);
  if (!node || node->Kind() != NodeClass::Tag)
    return;
  tags.InsertAfter(node, PredInBranch(tags, pred));
  FitTagToPolygons(*node, GetPolygonCount());
}

BaseTag* ObjectNode::MakeTag(Int32 type, BaseTag* pred)
{
  NodeCore* node = NodeFactory::Instance().Create(NodeClass::Tag, type);
  if (!node)
    return nullptr;
  tags.InsertAfter(node, PredInBranch(tags, pred));
  FitTagToPolygons(*node, GetPolygonCount());
  return static_cast<BaseTag*>(node->Api());
}

void ObjectNode::KillTag(Int32 type, Int32 nr) { DestroyNode(FindTag(tags, type, nr)); }

Bool ObjectNode::SetPhong(Bool on, Bool anglelimit, Float angle)
{
  BaseTag* phong = GetTag(Tphong, 0);
  if (!on)
  {
    KillTag(Tphong, 0);
    return true;
  }
  if (!phong)
    phong = MakeTag(Tphong, nullptr);
  if (!phong)
    return false;
  phong->SetParameter(DescID(PHONGTAG_PHONG_ANGLELIMIT), GeData(anglelimit), DESCFLAGS_SET::NONE);
  phong->SetParameter(DescID(PHONGTAG_PHONG_ANGLE), GeData(angle), DESCFLAGS_SET::NONE);
  return true;
}

BaseObject* ObjectNode::GetAndCheckHierarchyClone(const HierarchyHelp* hh, BaseObject* op, HIERARCHYCLONEFLAGS flags,
                                                  Bool* dirty, AliasTrans*, Bool allchildren)
{
  return HierarchyCloneFor(*this, hh, AsObject(op), flags, dirty, allchildren);
}

Vector* ObjectNode::GetPointW()
{
  SetDirty(DIRTYFLAGS_DATA);
  return points_.data();
}

CPolygon* ObjectNode::GetPolygonW()
{
  SetDirty(DIRTYFLAGS_DATA);
  return polygons_.data();
}

Bool ObjectNode::ResizeObject(Int32 pointCount, Int32 polygonCount)
{
  if (pointCount < 0 || polygonCount < 0)
    return false;
  points_.resize(size_t(pointCount));
  polygons_.resize(size_t(polygonCount));
  FitTagsToPolygons();
  SetDirty(DIRTYFLAGS_DATA);
  return true;
}

void ObjectNode::SetGeometry(std::vector<Vector> points, std::vector<CPolygon> polygons)
{
  points_ = std::move(points);
  polygons_ = std::move(polygons);
  FitTagsToPolygons();
  SetDirty(DIRTYFLAGS_DATA);
}

void ObjectNode::TakeGeometry(std::vector<Vector>& points, std::vector<CPolygon>& polygons)
{
  points = std::exchange(points_, {});
  polygons = std::exchange(polygons_, {});
  FitTagsToPolygons();
  SetDirty(DIRTYFLAGS_DATA);
}

void ObjectNode::SetCache(ObjectNode* cache)
{
  if (cache == cache_)
    return;
  if (cache)
    cache->Unlink();
  DestroyNode(std::exchange(cache_, cache));
  SetDirty(DIRTYFLAGS_CACHE);
}

ObjectNode* ObjectNode::FirstChild() const { return dynamic_cast<ObjectNode*>(children.first); }
ObjectNode* ObjectNode::NextSibling() const { return dynamic_cast<ObjectNode*>(next); }

void ObjectNode::CopyStateTo(NodeCore& dest) const
{
  auto& object = static_cast<ObjectNode&>(dest);
  object.ml_ = ml_;
  object.points_ = points_;
  object.polygons_ = polygons_;
}

void ObjectNode::FitTagsToPolygons()
{
  for (NodeCore* n = tags.first; n; n = n->next)
    FitTagToPolygons(*n, GetPolygonCount());
}

void RegisterObjectTypes(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Object, Onull, "Null", 0, [] { return new ObjectNode(Onull); });
  factory.RegisterType(NodeClass::Object, Opolygon, "Polygon", OBJECT_POLYGONOBJECT,
                       [] { return new ObjectNode(Opolygon); });
  factory.RegisterPluginCarrier(NodeClass::Object, [](Int32 type) { return new ObjectNode(type); });
}

} // namespace qhost
