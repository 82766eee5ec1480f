#include "host/geometry/cache_pass.h"

#include "host/core/document_node.h"
#include "host/geometry/hierarchy_mesh.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/primitive_objects.h"

namespace qhost {
namespace {

void BuildList(const NodeList& list, BaseDocument* doc)
{
  for (NodeCore* n = list.first; n; n = n->next)
  {
    auto* object = dynamic_cast<ObjectNode*>(n);
    if (!object)
      continue;
    BuildList(object->children, doc);
    if (IsPluginGenerator(*object))
      RunGenerator(*object, doc);
    else
      RefreshPrimitiveCache(*object);
  }
}

} // namespace

bool IsPluginGenerator(const ObjectNode& object) { return object.IsGenerator() && object.PluginData(); }

void RunGenerator(ObjectNode& generator, BaseDocument* doc)
{
  auto* data = static_cast<ObjectData*>(generator.PluginData());
  if (!data || !generator.IsGenerator())
    return;
  const HostHierarchyHelp hh(doc);
  BaseObject* result = data->GetVirtualObjects(&generator, &hh);
  ObjectNode* cache = AsObject(result);
  if (result && !cache)
  {
    // Not an object this host made: nothing it could show.
    DestroyNode(Core(result));
    return;
  }
  generator.SetCache(cache);
}

ObjectNode* UpToDateCache(ObjectNode& generator, BaseDocument* doc)
{
  if (IsPrimitiveType(generator.Type()))
    RefreshPrimitiveCache(generator);
  else if (IsPluginGenerator(generator) && !generator.Cache())
    RunGenerator(generator, doc);
  return generator.Cache();
}

void EnsureSubtreeCaches(ObjectNode& root, BaseDocument* doc)
{
  for (ObjectNode* child = root.FirstChild(); child; child = child->NextSibling())
    EnsureSubtreeCaches(*child, doc);
  if (root.IsGenerator())
    UpToDateCache(root, doc);
}

void BuildCaches(BaseDocument* doc)
{
  if (auto* document = dynamic_cast<DocumentNode*>(Core(doc)))
    BuildList(document->children, doc);
}

MeshData CollectSceneMesh(BaseDocument* doc)
{
  MeshData scene;
  const auto* document = dynamic_cast<const DocumentNode*>(Core(doc));
  if (!document)
    return scene;
  for (const NodeCore* n = document->children.first; n; n = n->next)
    if (const auto* object = dynamic_cast<const ObjectNode*>(n))
      ForEachShownMesh(*object, object->GetMl(), [&](const ObjectNode& shown, const Matrix& transform) {
        AppendMesh(scene, ReadPolygonMesh(shown), transform);
      });
  return scene;
}

} // namespace qhost
