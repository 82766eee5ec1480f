// Documents: the top-level objects, materials and render settings of a scene.
#pragma once

#include <functional>

#include "host/core/node_core.h"

namespace qhost {

class DocumentNode final : public Node<BaseDocument>
{
public:
  DocumentNode();
  // Materials and render settings are branches of the document alone;
  // DestroyNode frees the branches every node has, these go here.
  ~DocumentNode() override;

  BaseDocument* AsDocument() override { return this; }

  void InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred) override;
  BaseObject* GetFirstObject() const override { return static_cast<BaseObject*>(ApiOf(children.first)); }
  BaseObject* SearchObject(const String& name) const override;

  BaseMaterial* GetFirstMaterial() const override;
  void InsertMaterial(BaseMaterial* mat, BaseMaterial* pred) override;

  RenderData* GetActiveRenderData() const override;
  void InsertRenderData(RenderData* rd) override;
  void SetActiveRenderData(RenderData* rd) override;

  BaseList2D* FindNode(Int64 uid) const override;

  NodeList materials{this, ListKind::Branch};
  NodeList renderData{this, ListKind::Branch};

protected:
  void CopyStateTo(NodeCore& dest) const override;

private:
  NodeCore* activeRenderData_ = nullptr;
};

// Calls visit for every node of the document (objects, tags, tracks, shaders,
// materials, render settings), depth first.
void ForEachNode(const DocumentNode& doc, const std::function<void(NodeCore&)>& visit);

} // namespace qhost
