#include "host/geometry/polygon_mesh.h"

#include <map>

#include "host/core/node_factory.h"
#include "host/geometry/tag_nodes.h"

namespace qhost {
namespace {

void WriteUVs(ObjectNode& object, std::vector<UVWStruct> uvs)
{
  auto* uvw = dynamic_cast<UVWTagNode*>(Core(object.GetTag(Tuvw, 0)));
  if (uvs.empty())
  {
    object.KillTag(Tuvw, 0);
    return;
  }
  if (!uvw)
    uvw = dynamic_cast<UVWTagNode*>(Core(object.MakeTag(Tuvw, nullptr)));
  if (uvw)
    uvw->SetUVWs(std::move(uvs));
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

std::vector<NamedSelection> ReadSelections(const ObjectNode& object)
{
  const Int32 polygonCount = object.GetPolygonCount();
  std::vector<NamedSelection> selections;
  for (const NodeCore* n = object.tags.first; n; n = n->next)
    if (const auto* tag = dynamic_cast<const PolygonSelectionTagNode*>(n))
    {
      NamedSelection selection{tag->name, tag->Selection().ToIndices()};
      std::erase_if(selection.polygons, [&](Int32 p) { return p >= polygonCount; });
      selections.push_back(std::move(selection));
    }
  return selections;
}

// The first UVW tag when it has one entry per polygon.
UVWTagNode* MatchingUVWTag(const ObjectNode& object)
{
  auto* uvw = dynamic_cast<UVWTagNode*>(Core(object.GetTag(Tuvw, 0)));
  return uvw && uvw->GetDataCount() == object.GetPolygonCount() ? uvw : nullptr;
}

} // namespace

MeshData ReadPolygonMesh(const ObjectNode& object)
{
  MeshData mesh;
  mesh.points = object.Points();
  mesh.polygons = object.Polygons();
  if (const UVWTagNode* uvw = MatchingUVWTag(object))
    mesh.uvs = uvw->UVWs();
  mesh.selections = ReadSelections(object);
  return mesh;
}

MeshData TakePolygonMesh(ObjectNode& object)
{
  MeshData mesh;
  mesh.selections = ReadSelections(object);
  if (UVWTagNode* uvw = MatchingUVWTag(object))
    mesh.uvs = uvw->TakeUVWs();
  object.TakeGeometry(mesh.points, mesh.polygons);
  return mesh;
}

void WritePolygonMesh(ObjectNode& object, MeshData mesh)
{
  // The UVs go in first: the tag then already fits the new polygons, and
  // setting the geometry does not grow it to a zero-filled array first.
  WriteUVs(object, mesh.HasUVs() ? std::move(mesh.uvs) : std::vector<UVWStruct>());
  object.SetGeometry(std::move(mesh.points), std::move(mesh.polygons));
  WriteSelections(object, mesh);
}

ObjectNode* NewPolygonObject(MeshData mesh)
{
  auto* object = dynamic_cast<ObjectNode*>(NodeFactory::Instance().Create(NodeClass::Object, Opolygon));
  if (object)
    WritePolygonMesh(*object, std::move(mesh));
  return object;
}

} // namespace qhost
