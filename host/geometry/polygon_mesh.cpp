#include "host/geometry/polygon_mesh.h"

#include <map>

#include "host/core/node_factory.h"
#include "host/geometry/tag_nodes.h"

namespace qhost {
namespace {

void WriteUVs(ObjectNode& object, const MeshData& mesh)
{
  auto* uvw = dynamic_cast<UVWTagNode*>(Core(object.GetTag(Tuvw, 0)));
  if (!mesh.HasUVs())
  {
    object.KillTag(Tuvw, 0);
    return;
  }
  if (!uvw)
    uvw = dynamic_cast<UVWTagNode*>(Core(object.MakeTag(Tuvw, nullptr)));
  if (uvw)
    uvw->SetUVWs(mesh.uvs);
}

void WriteSelections(ObjectNode& object, const MeshData& mesh)
{
  // Selection tags by name, in tag order; each mesh selection takes the next one.
  std::map<std::string, std::vector<PolygonSelectionTagNode*>> byName;
  for (NodeCore* n = object.tags.first; n; n = n->next)
    if (auto* tag = dynamic_cast<PolygonSelectionTagNode*>(n))
    {
      byName[tag->name].push_back(tag);
      tag->Selection().DeselectAll();
    }
  std::map<std::string, size_t> used;
  for (const NamedSelection& selection : mesh.selections)
  {
    std::vector<PolygonSelectionTagNode*>& candidates = byName[selection.name];
    size_t& next = used[selection.name];
    PolygonSelectionTagNode* tag = nullptr;
    if (next < candidates.size())
      tag = candidates[next];
    else
    {
      BaseTag* last = static_cast<BaseTag*>(ApiOf(object.tags.Last()));
      tag = dynamic_cast<PolygonSelectionTagNode*>(Core(object.MakeTag(Tpolygonselection, last)));
      if (!tag)
        continue;
      tag->name = selection.name;
    }
    ++next;
    tag->Selection().Assign(selection.polygons);
    tag->SetDirty(DIRTYFLAGS_DATA);
  }
}

} // namespace

MeshData ReadPolygonMesh(const ObjectNode& object)
{
  MeshData mesh;
  mesh.points = object.Points();
  mesh.polygons = object.Polygons();
  const Int32 polygonCount = object.GetPolygonCount();
  if (const auto* uvw = dynamic_cast<const UVWTagNode*>(Core(object.GetTag(Tuvw, 0))))
    if (uvw->GetDataCount() == polygonCount)
      mesh.uvs = uvw->UVWs();
  for (const NodeCore* n = object.tags.first; n; n = n->next)
    if (const auto* tag = dynamic_cast<const PolygonSelectionTagNode*>(n))
    {
      NamedSelection selection{tag->name, tag->Selection().ToIndices()};
      std::erase_if(selection.polygons, [&](Int32 p) { return p >= polygonCount; });
      mesh.selections.push_back(std::move(selection));
    }
  return mesh;
}

void WritePolygonMesh(ObjectNode& object, const MeshData& mesh)
{
  object.SetGeometry(mesh.points, mesh.polygons);
  WriteUVs(object, mesh);
  WriteSelections(object, mesh);
}

ObjectNode* NewPolygonObject(const MeshData& mesh)
{
  auto* object = dynamic_cast<ObjectNode*>(NodeFactory::Instance().Create(NodeClass::Object, Opolygon));
  if (object)
    WritePolygonMesh(*object, mesh);
  return object;
}

} // namespace qhost
