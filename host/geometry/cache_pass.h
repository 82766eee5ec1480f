// Generator caches: building them for a document, keeping a single generator's
// cache current on demand, and gathering what a scene shows for exporters.
#pragma once

#include "host/geometry/mesh_data.h"
#include "host/geometry/object_node.h"

namespace qhost {

// What the host hands a generator's build hook: the document being built.
class HostHierarchyHelp final : public HierarchyHelp
{
public:
  explicit HostHierarchyHelp(BaseDocument* doc) : doc_(doc) {}
  ~HostHierarchyHelp() override = default;
  BaseDocument* GetDocument() const override { return doc_; }

private:
  BaseDocument* doc_;
};

// A plug-in generator: OBJECT_GENERATOR with a plug-in instance.
bool IsPluginGenerator(const ObjectNode& object);

// Runs a plug-in generator's build hook and keeps the returned object as its
// cache (the old cache is freed unless the same object came back).
void RunGenerator(ObjectNode& generator, BaseDocument* doc);

// The generator's cache: a primitive's rebuilt when its parameters changed, a
// plug-in generator's built when it has none. Null when there is none.
ObjectNode* UpToDateCache(ObjectNode& generator, BaseDocument* doc);

// UpToDateCache for every generator in root's subtree, children first.
void EnsureSubtreeCaches(ObjectNode& root, BaseDocument* doc);

// Builds every generator's cache in the document, depth first with children
// before their parents, so a generator sees its inputs' current caches.
void BuildCaches(BaseDocument* doc);

// Every polygon object of the document and every generator's cache (not the
// inputs hidden under an OBJECT_INPUT generator), joined in world space with
// UVs and selections (same-named selections merge).
MeshData CollectSceneMesh(BaseDocument* doc);

} // namespace qhost
