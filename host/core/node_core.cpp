#include "host/core/node_core.h"

#include <atomic>
#include <utility>

#include "host/core/node_factory.h"

namespace qhost {
namespace {

std::atomic<Int64> g_nextUid{1};
std::atomic<Int64> g_liveNodes{0};

// Component levels of a vector parameter.
constexpr Int32 kVectorX = 1000;
constexpr Int32 kVectorY = 1001;
constexpr Int32 kVectorZ = 1002;

Float* Component(Vector& v, Int32 id)
{
  switch (id)
  {
    case kVectorX: return &v.x;
    case kVectorY: return &v.y;
    case kVectorZ: return &v.z;
    default: return nullptr;
  }
}

} // namespace

// ---- NodeList ------------------------------------------------------------------

Int32 NodeList::Count() const
{
  Int32 count = 0;
  for (NodeCore* n = first; n; n = n->next)
    ++count;
  return count;
}

void NodeList::Append(NodeCore* node) { InsertAfter(node, Last()); }

void NodeList::InsertAfter(NodeCore* node, NodeCore* predNode)
{
  node->Unlink();
  node->list = this;
  node->pred = predNode;
  node->next = predNode ? predNode->next : first;
  if (node->next)
    node->next->pred = node;
  else
    last = node;
  if (predNode)
    predNode->next = node;
  else
    first = node;
  if (owner)
    owner->SetDirty(DIRTYFLAGS_CHILDREN);
}

void NodeList::DestroyAll()
{
  while (first)
    DestroyNode(first);
}

// ---- NodeCore ------------------------------------------------------------------

NodeCore::NodeCore(NodeClass kind, Int32 type) : kind_(kind), type_(type), uid_(g_nextUid.fetch_add(1))
{
  g_liveNodes.fetch_add(1, std::memory_order_relaxed);
}

NodeCore::~NodeCore() { g_liveNodes.fetch_sub(1, std::memory_order_relaxed); }

Int64 NodeCore::LiveCount() { return g_liveNodes.load(std::memory_order_relaxed); }

void NodeCore::ReleaseContent()
{
  // The plug-in is freed first, while the node it belongs to is still whole.
  if (pluginData_)
  {
    NodeData* instance = std::exchange(pluginData_, nullptr);
    instance->Free(Api());
    instance->~NodeData();
    GetHostInterface()->core->Free(instance);
  }
  children.DestroyAll();
  tags.DestroyAll();
  tracks.DestroyAll();
  shaders.DestroyAll();
}

void NodeCore::SetUid(Int64 uid)
{
  uid_ = uid;
  // Keep new nodes from colliding with restored ones.
  Int64 next = g_nextUid.load();
  while (next <= uid && !g_nextUid.compare_exchange_weak(next, uid + 1))
  {
  }
}

void NodeCore::AttachPlugin(const PluginInfo* plugin, NodeData* pluginData)
{
  plugin_ = plugin;
  pluginData_ = pluginData;
}

Bool NodeCore::GetParameter(const DescID& id, GeData& value) const
{
  if (id.GetDepth() == 0)
    return false;
  const GeData* stored = data.GetDataPointer(id[0].id);
  if (id.GetDepth() == 1)
  {
    value = stored ? *stored : GeData();
    return true;
  }
  if (!stored || stored->GetType() != DA_VECTOR)
    return false;
  Vector v = stored->GetVector();
  const Float* c = Component(v, id[1].id);
  if (!c)
    return false;
  value = GeData(*c);
  return true;
}

Bool NodeCore::SetParameter(const DescID& id, const GeData& value)
{
  if (id.GetDepth() == 0)
    return false;
  if (id.GetDepth() == 1)
    data.SetData(id[0].id, value);
  else
  {
    Vector v = data.GetVector(id[0].id);
    Float* c = Component(v, id[1].id);
    if (!c)
      return false;
    *c = value.GetFloat();
    data.SetVector(id[0].id, v);
  }
  SetDirty(DIRTYFLAGS_DATA);
  return true;
}

NodeCore* NodeCore::Parent() const
{
  return list && list->kind == ListKind::Hierarchy ? list->owner : nullptr;
}

NodeCore* NodeCore::Owner() const { return list && list->kind == ListKind::Branch ? list->owner : nullptr; }

void NodeCore::Unlink()
{
  if (!list)
    return;
  if (pred)
    pred->next = next;
  else
    list->first = next;
  if (next)
    next->pred = pred;
  else
    list->last = pred;
  if (list->owner)
    list->owner->SetDirty(DIRTYFLAGS_CHILDREN);
  list = nullptr;
  next = pred = nullptr;
}

BaseDocument* NodeCore::Document() const
{
  for (const NodeCore* n = this; n; n = n->list ? n->list->owner : nullptr)
    if (BaseDocument* doc = const_cast<NodeCore*>(n)->AsDocument())
      return doc;
  return nullptr;
}

UInt32 NodeCore::GetDirty(Int32 flags) const
{
  UInt32 sum = 0;
  if (flags & DIRTYFLAGS_DATA)
    sum += dirtyData_;
  if (flags & DIRTYFLAGS_MATRIX)
    sum += dirtyMatrix_;
  if (flags & DIRTYFLAGS_CHILDREN)
    sum += dirtyChildren_;
  if (flags & DIRTYFLAGS_CACHE)
    sum += dirtyCache_;
  if (flags & DIRTYFLAGS_SELECT)
    sum += dirtySelect_;
  return sum;
}

void NodeCore::SetDirty(Int32 flags)
{
  if (flags & DIRTYFLAGS_DATA)
    ++dirtyData_;
  if (flags & DIRTYFLAGS_MATRIX)
    ++dirtyMatrix_;
  if (flags & DIRTYFLAGS_CHILDREN)
    ++dirtyChildren_;
  if (flags & DIRTYFLAGS_CACHE)
    ++dirtyCache_;
  if (flags & DIRTYFLAGS_SELECT)
    ++dirtySelect_;
}

Bool NodeCore::SendMessage(Int32 type, void* messageData)
{
  Bool result = true;
  if (pluginData_)
    result = pluginData_->Message(Api(), type, messageData);
  HandleMessage(type, messageData);
  return result;
}

void NodeCore::HandleMessage(Int32 type, void*)
{
  if (type == MSG_CHANGE)
    SetDirty(DIRTYFLAGS_DATA);
}

void NodeCore::CopyStateTo(NodeCore&) const {}

void NodeCore::RelinkClonedBranches(const NodeCore&) {}

NodeCore* NodeCore::Clone(COPYFLAGS flags) const
{
  NodeCore* copy = NodeFactory::Instance().Create(kind_, type_, /*isCloneInit*/ true);
  if (!copy)
    return nullptr;
  copy->name = name;
  copy->data = data;
  CopyStateTo(*copy);
  const auto cloneList = [&](const NodeList& from, NodeList& to) {
    for (const NodeCore* n = from.first; n; n = n->next)
      if (NodeCore* c = n->Clone(flags))
        to.Append(c);
  };
  if ((Int32(flags) & Int32(COPYFLAGS::NO_HIERARCHY)) == 0)
    cloneList(children, copy->children);
  cloneList(tags, copy->tags);
  cloneList(tracks, copy->tracks);
  cloneList(shaders, copy->shaders);
  copy->RelinkClonedBranches(*this);
  return copy;
}

// ---- Free functions ----------------------------------------------------------------

NodeCore* Core(const GeAtom* atom) { return atom ? dynamic_cast<NodeCore*>(const_cast<GeAtom*>(atom)) : nullptr; }

void DestroyNode(NodeCore* node)
{
  if (!node)
    return;
  node->Unlink();
  node->ReleaseContent();
  delete node;
}

void InsertNodeBefore(NodeCore& self, GeListNode* node)
{
  NodeCore* target = Core(node);
  if (!target || !target->list || target == &self)
    return;
  target->list->InsertAfter(&self, target->pred);
}

void InsertNodeAfter(NodeCore& self, GeListNode* node)
{
  NodeCore* target = Core(node);
  if (!target || !target->list || target == &self)
    return;
  target->list->InsertAfter(&self, target);
}

void InsertNodeUnder(NodeCore& self, GeListNode* node, bool last)
{
  NodeCore* parent = Core(node);
  if (!parent || parent == &self)
    return;
  // A document's top-level list takes objects inserted under the document.
  NodeList& target = parent->children;
  if (last)
    target.Append(&self);
  else
    target.InsertAfter(&self, nullptr);
}

CTrack* FindTrack(const NodeCore& self, const DescID& id)
{
  for (NodeCore* n = self.tracks.first; n; n = n->next)
  {
    // A one-level ID finds the first track of the parameter, for a vector the
    // track of its first component.
    auto* track = static_cast<CTrack*>(n->Api());
    if (id.IsPartOf(track->GetDescriptionID(), nullptr))
      return track;
  }
  return nullptr;
}

void InsertTrack(NodeCore& self, CTrack* track)
{
  if (NodeCore* t = Core(track))
    self.tracks.Append(t);
}

void InsertShaderNode(NodeCore& self, BaseShader* shader, BaseShader* pred)
{
  NodeCore* s = Core(shader);
  if (!s)
    return;
  NodeCore* p = Core(pred);
  self.shaders.InsertAfter(s, p && p->list == &self.shaders ? p : nullptr);
}

} // namespace qhost
