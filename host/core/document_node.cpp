#include "host/core/document_node.h"

#include <functional>

namespace qhost {
namespace {

void VisitList(const NodeList& list, const std::function<void(NodeCore&)>& visit);

void VisitNode(NodeCore& node, const std::function<void(NodeCore&)>& visit)
{
  visit(node);
  VisitList(node.tags, visit);
  VisitList(node.tracks, visit);
  VisitList(node.shaders, visit);
  VisitList(node.children, visit);
}

void VisitList(const NodeList& list, const std::function<void(NodeCore&)>& visit)
{
  for (NodeCore* n = list.first; n; n = n->next)
    VisitNode(*n, visit);
}

NodeCore* SearchByName(const NodeList& list, const String& name)
{
  for (NodeCore* n = list.first; n; n = n->next)
  {
    if (n->name == name)
      return n;
    if (NodeCore* found = SearchByName(n->children, name))
      return found;
  }
  return nullptr;
}

} // namespace

DocumentNode::DocumentNode() : Node(NodeClass::Document, Tbasedocument) { children.kind = ListKind::TopLevel; }

DocumentNode::~DocumentNode()
{
  materials.DestroyAll();
  renderData.DestroyAll();
}

void DocumentNode::InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred)
{
  NodeCore* node = Core(op);
  if (!node)
    return;
  NodeCore* parentNode = Core(parent);
  NodeList& list = parentNode ? parentNode->children : children;
  NodeCore* predNode = Core(pred);
  list.InsertAfter(node, predNode && predNode->list == &list ? predNode : nullptr);
}

BaseObject* DocumentNode::SearchObject(const String& name) const
{
  return static_cast<BaseObject*>(ApiOf(SearchByName(children, name)));
}

BaseMaterial* DocumentNode::GetFirstMaterial() const
{
  return static_cast<BaseMaterial*>(ApiOf(materials.first));
}

void DocumentNode::InsertMaterial(BaseMaterial* mat, BaseMaterial* pred)
{
  NodeCore* node = Core(mat);
  if (!node)
    return;
  NodeCore* predNode = Core(pred);
  materials.InsertAfter(node, predNode && predNode->list == &materials ? predNode : nullptr);
}

RenderData* DocumentNode::GetActiveRenderData() const
{
  if (activeRenderData_ && activeRenderData_->list == &renderData)
    return static_cast<RenderData*>(ApiOf(activeRenderData_));
  return nullptr;
}

void DocumentNode::InsertRenderData(RenderData* rd)
{
  if (NodeCore* node = Core(rd))
    renderData.Append(node);
}

void DocumentNode::SetActiveRenderData(RenderData* rd)
{
  NodeCore* node = Core(rd);
  activeRenderData_ = node && node->list == &renderData ? node : nullptr;
}

BaseList2D* DocumentNode::FindNode(Int64 uid) const
{
  NodeCore* found = nullptr;
  ForEachNode(*this, [&](NodeCore& n) {
    if (!found && n.Uid() == uid)
      found = &n;
  });
  return static_cast<BaseList2D*>(ApiOf(found));
}

void DocumentNode::CopyStateTo(NodeCore& dest) const
{
  auto& doc = static_cast<DocumentNode&>(dest);
  for (const NodeCore* n = materials.first; n; n = n->next)
    if (NodeCore* c = n->Clone(COPYFLAGS::NONE))
      doc.materials.Append(c);
  for (const NodeCore* n = renderData.first; n; n = n->next)
    if (NodeCore* c = n->Clone(COPYFLAGS::NONE))
    {
      doc.renderData.Append(c);
      if (n == activeRenderData_)
        doc.activeRenderData_ = c;
    }
}

void ForEachNode(const DocumentNode& doc, const std::function<void(NodeCore&)>& visit)
{
  VisitList(doc.children, visit);
  VisitList(doc.materials, visit);
  VisitList(doc.renderData, visit);
}

} // namespace qhost
