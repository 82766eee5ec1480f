#include "host/fields/field_list.h"

#include <algorithm>
#include <array>
#include <vector>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/fields/blend.h"
#include "host/fields/falloff.h"

namespace qhost {
namespace {

constexpr Int32 kMaxFolderDepth = 32;
// Points per task: enough that a task outweighs its scheduling.
constexpr Int32 kPointsPerTask = 16384;

// A field list flattened for sampling: linked objects resolved, matrices
// inverted, folders turned into begin/end markers.
struct FieldOp
{
  enum class Kind { Sample, FolderBegin, FolderEnd } kind;
  BlendMode mode = BlendMode::Normal;
  Float opacity = 1.0;
  Falloff falloff;
};

FalloffShape ShapeOf(Int32 type)
{
  switch (type)
  {
    case Ofield_linear: return FalloffShape::Linear;
    case Ofield_box: return FalloffShape::Box;
    default: return FalloffShape::Spherical;
  }
}

bool Compile(const NodeList& layers, const BaseDocument* doc, Int32 depth, std::vector<FieldOp>& ops)
{
  if (depth > kMaxFolderDepth)
    return false;
  for (const NodeCore* n = layers.first; n; n = n->next)
  {
    const BaseContainer& d = n->data;
    if (!d.GetBool(FIELDLAYER_ENABLE, true))
      continue;
    const auto mode = BlendMode(std::clamp(d.GetInt32(FIELDLAYER_BLEND), 0, Int32(BlendMode::Max)));
    const Float opacity = d.GetFloat(FIELDLAYER_OPACITY, 1.0);
    if (n->Type() == FLfolder)
    {
      ops.push_back({FieldOp::Kind::FolderBegin, mode, opacity, {}});
      if (!Compile(n->children, doc, depth + 1, ops))
        return false;
      ops.push_back({FieldOp::Kind::FolderEnd, mode, opacity, {}});
      continue;
    }
    const auto* object = static_cast<const BaseObject*>(d.GetLink(FIELDLAYER_LINK, doc));
    if (!object || !IsFieldObjectType(object->GetType()))
      continue;
    const BaseContainer& fp = *object->GetDataInstance();
    Falloff falloff;
    falloff.shape = ShapeOf(object->GetType());
    falloff.strength = fp.GetFloat(FIELD_STRENGTH, 1.0);
    falloff.inner = fp.GetFloat(FIELD_INNER, 0.0);
    falloff.outer = fp.GetFloat(FIELD_OUTER, 100.0);
    falloff.invert = fp.GetBool(FIELD_INVERT);
    falloff.worldToLocal = ~object->GetMg();
    ops.push_back({FieldOp::Kind::Sample, mode, opacity, falloff});
  }
  return true;
}

// The blended value of all layers at one point; no allocation.
Float Evaluate(const std::vector<FieldOp>& ops, const Vector& p)
{
  struct Level
  {
    Float value;
    BlendMode mode;
    Float opacity;
  };
  std::array<Level, kMaxFolderDepth + 2> stack;
  Int32 top = 0;
  stack[0] = {0.0, BlendMode::Normal, 1.0};
  for (const FieldOp& op : ops)
  {
    switch (op.kind)
    {
      case FieldOp::Kind::Sample:
        stack[size_t(top)].value = Blend(op.mode, stack[size_t(top)].value, EvaluateFalloff(op.falloff, p), op.opacity);
        break;
      case FieldOp::Kind::FolderBegin: stack[size_t(++top)] = {0.0, op.mode, op.opacity}; break;
      case FieldOp::Kind::FolderEnd:
      {
        const Level folder = stack[size_t(top--)];
        stack[size_t(top)].value = Blend(folder.mode, stack[size_t(top)].value, folder.value, folder.opacity);
        break;
      }
    }
  }
  return stack[0].value;
}

void SampleRange(const std::vector<FieldOp>& ops, const FieldInput& input, FieldOutput& output, Int32 begin,
                 Int32 end)
{
  for (Int32 i = begin; i < end; ++i)
  {
    const Float v = Evaluate(ops, input.transform * input.position[i]);
    output._value[i] = v;
    if (output._color)
      output._color[i] = Vector(v);
    if (output._alpha)
      output._alpha[i] = 1.0;
  }
}

bool HasLinkedLayer(const NodeList& layers)
{
  for (const NodeCore* n = layers.first; n; n = n->next)
  {
    if (!n->data.GetBool(FIELDLAYER_ENABLE, true))
      continue;
    if (n->Type() == FLfolder ? HasLinkedLayer(n->children) : n->data.GetData(FIELDLAYER_LINK).GetBaseLink().uid != 0)
      return true;
  }
  return false;
}

Int32 CountLayers(const NodeList& layers)
{
  Int32 count = 0;
  for (const NodeCore* n = layers.first; n; n = n->next)
    count += 1 + CountLayers(n->children);
  return count;
}

void CopyLayers(const NodeList& from, NodeList& to)
{
  for (const NodeCore* n = from.first; n; n = n->next)
  {
    auto* copy = new FieldLayerNode(n->Type());
    copy->name = n->name;
    copy->data = n->data;
    CopyLayers(n->children, copy->children);
    to.Append(copy);
  }
}

bool SameLayers(const NodeCore* a, const NodeCore* b)
{
  for (; a && b; a = a->next, b = b->next)
    if (a->Type() != b->Type() || a->name != b->name || !(a->data == b->data) ||
        !SameLayers(a->children.first, b->children.first))
      return false;
  return !a && !b;
}

} // namespace

class HostFieldList::Root final : public GeListHead
{
public:
  explicit Root(const NodeList& list) : list_(list) {}
  GeListNode* GetFirst() const override { return ApiOf(list_.first); }

private:
  const NodeList& list_;
};

FieldLayerNode::FieldLayerNode(Int32 type) : Node(NodeClass::Object, type)
{
  data.SetInt32(FIELDLAYER_BLEND, Int32(BlendMode::Normal));
  data.SetFloat(FIELDLAYER_OPACITY, 1.0);
  data.SetBool(FIELDLAYER_ENABLE, true);
}

BaseList2D* FieldLayerNode::GetLinkedObject(const BaseDocument* doc) const
{
  return IsFolder() ? nullptr : data.GetLink(FIELDLAYER_LINK, doc);
}

HostFieldList::HostFieldList() : root_(std::make_unique<Root>(layers_)) {}

HostFieldList::~HostFieldList() { layers_.DestroyAll(); }

CustomDataType* HostFieldList::Clone() const
{
  auto* copy = new HostFieldList();
  CopyLayers(layers_, copy->layers_);
  return copy;
}

Bool HostFieldList::IsEqual(const CustomDataType& other) const
{
  const auto* list = dynamic_cast<const HostFieldList*>(&other);
  return list && SameLayers(layers_.first, list->layers_.first);
}

Bool HostFieldList::HasContent(Int32 channelMask) const
{
  return (channelMask & (FIELDLAYER_CHANNELFLAG_VALUE | FIELDLAYER_CHANNELFLAG_COLOR)) != 0 && HasLinkedLayer(layers_);
}

GeListHead* HostFieldList::GetLayersRoot() const { return root_.get(); }

Int32 HostFieldList::GetCount() const { return CountLayers(layers_); }

Status HostFieldList::SampleList(const FieldInfo& info, const FieldInput& input, FieldOutput& output) const
{
  const Int32 n = input.blockCount;
  if (n < 0 || (n > 0 && !input.position))
    return Status::Failure("field input without positions");
  if (output._count < n || (n > 0 && !output._value))
    return Status::Failure("field output holds fewer values than there are points");
  std::vector<FieldOp> ops;
  if (!Compile(layers_, info.doc, 0, ops))
    return Status::Failure("field folders nested deeper than " + std::to_string(kMaxFolderDepth));

  // Points are independent of each other: ranges go to oneTBB's workers, and
  // the values do not depend on how the points were split.
  tbb::parallel_for(tbb::blocked_range<Int32>(0, n, kPointsPerTask), [&](const tbb::blocked_range<Int32>& r) {
    SampleRange(ops, input, output, r.begin(), r.end());
  });
  return Ok{};
}

FieldLayer* HostFieldList::AddLayer(const BaseList2D* object, FieldLayer* folder)
{
  auto* layer = new FieldLayerNode(object ? FLfield : FLfolder);
  if (object)
  {
    layer->data.SetLink(FIELDLAYER_LINK, object);
    layer->name = object->GetName();
  }
  else
    layer->name = "Folder";
  auto* parent = dynamic_cast<FieldLayerNode*>(Core(folder));
  (parent && parent->IsFolder() ? parent->children : layers_).Append(layer);
  return layer;
}

bool IsFieldObjectType(Int32 type)
{
  return type == Ofield_spherical || type == Ofield_linear || type == Ofield_box;
}

} // namespace qhost
