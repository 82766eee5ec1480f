// Builds a document from scene JSON written by scene_writer.cpp. Every node is
// made through the factory (plug-in nodes run their Init), then receives its
// saved name, unique ID, parameters and branches.
#include <algorithm>
#include <cmath>

#include "host/core/document_node.h"
#include "host/core/node_factory.h"
#include "host/core/simple_nodes.h"
#include "host/geometry/object_node.h"
#include "host/geometry/tag_nodes.h"
#include "host/io/json_depth.h"
#include "host/io/scene_file.h"
#include "host/io/scene_limits.h"
#include "host/io/scene_values.h"
#include "host/shading/layer_shader.h"

namespace qhost {
namespace {

using scene::Index;
using scene::Json;
using scene::Key;
using scene::SceneError;

struct NodeDestroyer
{
  void operator()(NodeCore* node) const { DestroyNode(node); }
};
using OwnedNode = std::unique_ptr<NodeCore, NodeDestroyer>;

const char* KindName(NodeClass kind)
{
  switch (kind)
  {
    case NodeClass::Object: return "object";
    case NodeClass::Tag: return "tag";
    case NodeClass::Shader: return "shader";
    case NodeClass::Material: return "material";
    case NodeClass::Document: return "document";
    case NodeClass::RenderData: return "render settings";
    case NodeClass::Track: return "track";
  }
  return "node";
}

template <typename T>
T& Family(NodeCore& node, const std::string& path, const char* what)
{
  auto* typed = dynamic_cast<T*>(&node);
  if (!typed)
    throw SceneError(path, std::string(what) + " on a node of type " + std::to_string(node.Type()) +
                               " that has none");
  return *typed;
}

class SceneReader
{
public:
  explicit SceneReader(scene::ReadBudget& budget) : budget_(budget) {}

  DocumentPtr Read(const Json& root)
  {
    scene::RequireObject(root, "$");
    if (const auto it = root.find("format"); it == root.end() || *it != "quorvane-scene")
      throw SceneError("$.format", "not a Quorvane scene file");
    const Int32 version = scene::ReadInt32(scene::Member(root, "version", "$"), "$.version");
    if (version != scene::kFormatVersion)
      throw SceneError("$.version", "unsupported version " + std::to_string(version));

    OwnedNode docNode = MakeNode(NodeClass::Document, scene::Member(root, "document", "$"), "$.document");
    auto& doc = dynamic_cast<DocumentNode&>(*docNode);
    ReadList(scene::ArrayMember(root, "objects", "$"), "$.objects", doc.children, &SceneReader::ReadObject);
    ReadList(scene::ArrayMember(root, "materials", "$"), "$.materials", doc.materials, &SceneReader::ReadMaterial);
    const Json& render = scene::Member(root, "renderdata", "$");
    ReadList(scene::ArrayMember(render, "items", "$.renderdata"), "$.renderdata.items", doc.renderData,
             &SceneReader::ReadRenderData);
    if (const Int64 active = scene::ReadUid(scene::Member(render, "active", "$.renderdata"), "$.renderdata.active"))
    {
      NodeCore* found = nullptr;
      for (NodeCore* n = doc.renderData.first; n && !found; n = n->next)
        found = n->Uid() == active ? n : nullptr;
      if (!found)
        throw SceneError("$.renderdata.active", "names no render settings of the file");
      doc.SetActiveRenderData(static_cast<RenderData*>(found->Api()));
    }
    return DocumentPtr(static_cast<BaseDocument*>(docNode.release()->Api()));
  }

private:
  using ReadFn = OwnedNode (SceneReader::*)(const Json&, const std::string&);

  void ReadList(const Json& array, const std::string& path, NodeList& into, ReadFn read)
  {
    const scene::NestingGuard nesting(budget_, path);
    for (size_t i = 0; i < array.size(); ++i)
      into.Append((this->*read)(array[i], Index(path, i)).release());
  }

  // A node of the saved type with its name, unique ID, parameters, shaders,
  // tracks and layers. Branches the node's Init made are replaced by the saved ones.
  OwnedNode MakeNode(NodeClass kind, const Json& json, const std::string& path)
  {
    const Int32 type = scene::ReadInt32(scene::Member(json, "type", path), Key(path, "type"));
    NodeFactory& factory = NodeFactory::Instance();
    OwnedNode node;
    if (kind == NodeClass::Track)
    {
      if (type != CTbase)
        throw SceneError(Key(path, "type"), "unknown track type " + std::to_string(type));
      node.reset(new TrackNode(ReadDescId(scene::ArrayMember(json, "id", path), Key(path, "id"))));
    }
    else
    {
      if (!factory.FindBuiltin(kind, type) && !factory.FindPlugin(type))
        throw SceneError(Key(path, "type"), std::string("unknown ") + KindName(kind) + " type " + std::to_string(type));
      node.reset(factory.Create(kind, type));
      if (!node)
        throw SceneError(Key(path, "type"), std::string("could not create ") + KindName(kind) + " type " +
                                                std::to_string(type));
    }
    node->children.DestroyAll();
    node->tags.DestroyAll();
    node->tracks.DestroyAll();
    node->shaders.DestroyAll();

    node->name = scene::ReadString(scene::Member(json, "name", path), Key(path, "name"));
    const Int64 uid = scene::ReadUid(scene::Member(json, "uid", path), Key(path, "uid"));
    if (uid == 0 || !budget_.uids.insert(uid).second)
      throw SceneError(Key(path, "uid"), uid == 0 ? "unique ID 0 is reserved for empty links"
                                                  : "duplicate unique ID " + std::to_string(uid));
    node->SetUid(uid);
    const Json& data = scene::Member(json, "data", path);
    node->data = scene::ReadContainer(data, Key(path, "data"), budget_);
    if (const DescriptionResource* description = factory.FindDescription(type))
      scene::CheckDescriptionLimits(*description, node->data, data, Key(path, "data"));
    node->SetDirty(DIRTYFLAGS_DATA);

    if (const Json* shaders = scene::OptionalArray(json, "shaders", path))
      ReadList(*shaders, Key(path, "shaders"), node->shaders, &SceneReader::ReadShader);
    if (const Json* tracks = scene::OptionalArray(json, "tracks", path))
      ReadList(*tracks, Key(path, "tracks"), node->tracks, &SceneReader::ReadTrack);
    if (const Json* layers = scene::OptionalArray(json, "layers", path))
    {
      auto& shader = Family<LayerShaderNode>(*node, Key(path, "layers"), "layers");
      ReadLayers(shader, *layers, Key(path, "layers"), nullptr);
    }
    return node;
  }

  OwnedNode ReadShader(const Json& json, const std::string& path) { return MakeNode(NodeClass::Shader, json, path); }
  OwnedNode ReadMaterial(const Json& json, const std::string& path) { return MakeNode(NodeClass::Material, json, path); }
  OwnedNode ReadRenderData(const Json& json, const std::string& path)
  {
    return MakeNode(NodeClass::RenderData, json, path);
  }

  OwnedNode ReadTrack(const Json& json, const std::string& path)
  {
    OwnedNode node = MakeNode(NodeClass::Track, json, path);
    auto& track = dynamic_cast<TrackNode&>(*node);
    const Json& keys = scene::ArrayMember(json, "keys", path);
    budget_.Spend(keys.size(), Key(path, "keys"));
    for (size_t i = 0; i < keys.size(); ++i)
    {
      const std::string at = Index(Key(path, "keys"), i);
      if (!keys[i].is_array() || keys[i].size() != 2)
        throw SceneError(at, "expected [time, value]");
      // Keys are kept sorted by time; a NaN time has no place in that order.
      const Float time = scene::ReadReal(keys[i][0], Index(at, 0));
      if (std::isnan(time))
        throw SceneError(Index(at, 0), "a key time must be a number");
      track.AddKey(time, scene::ReadReal(keys[i][1], Index(at, 1)));
    }
    if (const auto it = json.find("information"); it != json.end())
    {
      String text = scene::ReadString(*it, Key(path, "information"));
      track.TrackInformation(nullptr, nullptr, &text, true);
    }
    return node;
  }

  DescID ReadDescId(const Json& levels, const std::string& path)
  {
    if (levels.empty() || levels.size() > size_t(DescID::kMaxDepth))
      throw SceneError(path, "expected 1 to " + std::to_string(DescID::kMaxDepth) + " levels");
    DescID id;
    for (size_t i = 0; i < levels.size(); ++i)
    {
      const std::string at = Index(path, i);
      if (!levels[i].is_array() || levels[i].size() != 3)
        throw SceneError(at, "expected [id, type, creator]");
      id.PushId(DescLevel(scene::ReadInt32(levels[i][0], Index(at, 0)), scene::ReadInt32(levels[i][1], Index(at, 1)),
                          scene::ReadInt32(levels[i][2], Index(at, 2))));
    }
    return id;
  }

  void ReadLayers(LayerShaderNode& shader, const Json& layers, const std::string& path, LayerShaderLayer* folder)
  {
    const scene::NestingGuard nesting(budget_, path);
    for (size_t i = 0; i < layers.size(); ++i)
    {
      const std::string at = Index(path, i);
      const Int32 type = scene::ReadInt32(scene::Member(layers[i], "type", at), Key(at, "type"));
      LayerShaderLayer* layer = shader.AddLayer(type, folder);
      if (!layer)
        throw SceneError(Key(at, "type"), "unknown layer type " + std::to_string(type));
      const BaseContainer parameters =
          scene::ReadContainer(scene::Member(layers[i], "parameters", at), Key(at, "parameters"), budget_);
      for (Int32 p = 0; p < parameters.GetEntryCount(); ++p)
      {
        const Int32 id = parameters.GetIndexId(p);
        const GeData& value = parameters.GetIndexData(p);
        const std::string where = Key(at, "parameters") + "." + std::to_string(id);
        GeData current;
        if (!layer->GetParameter(id, current) || id == LAYER_S_PARAM_SHADER_LINK)
          throw SceneError(where, "not a parameter of a layer of type " + std::to_string(type));
        if (current.GetType() != value.GetType())
          throw SceneError(where, "value of the wrong kind");
        shader.SetLayerParameter(layer, id, value);
      }
      if (const auto it = layers[i].find("link"); it != layers[i].end())
      {
        GeData link;
        if (!layer->GetParameter(LAYER_S_PARAM_SHADER_LINK, link))
          throw SceneError(Key(at, "link"), "only shader layers link a shader");
        // The layer hands out its link for reading and writing; the saved ID
        // is kept even when it names no shader of the file.
        static_cast<BaseLink*>(link.GetVoid())->uid = scene::ReadUid(*it, Key(at, "link"));
      }
      if (const Json* children = scene::OptionalArray(layers[i], "layers", at))
      {
        if (type != TypeFolder)
          throw SceneError(Key(at, "layers"), "only folders hold layers");
        ReadLayers(shader, *children, Key(at, "layers"), layer);
      }
    }
    shader.SetDirty(DIRTYFLAGS_DATA);
  }

  OwnedNode ReadObject(const Json& json, const std::string& path)
  {
    OwnedNode node = MakeNode(NodeClass::Object, json, path);
    auto& object = dynamic_cast<ObjectNode&>(*node);
    object.SetMl(scene::ReadMatrix(scene::Member(json, "matrix", path), Key(path, "matrix")));
    const Json* points = scene::OptionalArray(json, "points", path);
    const Json* polygons = scene::OptionalArray(json, "polygons", path);
    if (points || polygons)
      ReadGeometry(object, points, polygons, path);
    if (const Json* tags = scene::OptionalArray(json, "tags", path))
      ReadList(*tags, Key(path, "tags"), object.tags, &SceneReader::ReadTag);
    if (const Json* children = scene::OptionalArray(json, "children", path))
      ReadList(*children, Key(path, "children"), object.children, &SceneReader::ReadObject);
    return node;
  }

  void ReadGeometry(ObjectNode& object, const Json* points, const Json* polygons, const std::string& path)
  {
    if (!points || !polygons)
      throw SceneError(path, "\"points\" and \"polygons\" come together");
    budget_.Spend(points->size() + polygons->size(), Key(path, "points"));
    std::vector<Vector> p;
    p.reserve(points->size());
    for (size_t i = 0; i < points->size(); ++i)
      p.push_back(scene::ReadVector((*points)[i], Index(Key(path, "points"), i)));
    std::vector<CPolygon> f;
    f.reserve(polygons->size());
    const Int32 count = Int32(p.size());
    for (size_t i = 0; i < polygons->size(); ++i)
    {
      const std::string at = Index(Key(path, "polygons"), i);
      const Json& corners = (*polygons)[i];
      if (!corners.is_array() || corners.size() != 4)
        throw SceneError(at, "expected 4 point indices");
      Int32 c[4];
      for (size_t k = 0; k < 4; ++k)
      {
        c[k] = scene::ReadInt32(corners[k], Index(at, k));
        if (c[k] < 0 || c[k] >= count)
          throw SceneError(Index(at, k), "point index " + std::to_string(c[k]) + " outside 0.." +
                                             std::to_string(count - 1));
      }
      f.emplace_back(c[0], c[1], c[2], c[3]);
    }
    object.SetGeometry(std::move(p), std::move(f));
  }

  OwnedNode ReadTag(const Json& json, const std::string& path)
  {
    OwnedNode node = MakeNode(NodeClass::Tag, json, path);
    if (const Json* indices = scene::OptionalArray(json, "selection", path))
      ReadSelection(Family<PolygonSelectionTagNode>(*node, Key(path, "selection"), "selection"), *indices,
                    Key(path, "selection"));
    if (const Json* uvw = scene::OptionalArray(json, "uvw", path))
      ReadUvw(Family<UVWTagNode>(*node, Key(path, "uvw"), "uvw"), *uvw, Key(path, "uvw"));
    return node;
  }

  void ReadSelection(PolygonSelectionTagNode& tag, const Json& indices, const std::string& path)
  {
    std::vector<Int32> selected;
    selected.reserve(indices.size());
    for (size_t i = 0; i < indices.size(); ++i)
    {
      const Int32 index = scene::ReadInt32(indices[i], Index(path, i));
      if (index < 0)
        throw SceneError(Index(path, i), "negative index");
      selected.push_back(index);
    }
    // The set's memory grows with its highest index, so that is what is charged.
    const Int32 highest = selected.empty() ? -1 : *std::max_element(selected.begin(), selected.end());
    budget_.Spend(std::uint64_t(std::int64_t(highest) + 1), path);
    tag.Selection().Assign(selected);
  }

  void ReadUvw(UVWTagNode& tag, const Json& coords, const std::string& path)
  {
    budget_.Spend(coords.size(), path);
    std::vector<UVWStruct> uvws;
    uvws.reserve(coords.size());
    for (size_t i = 0; i < coords.size(); ++i)
    {
      const std::string at = Index(path, i);
      if (!coords[i].is_array() || coords[i].size() != 12)
        throw SceneError(at, "expected 12 numbers (corners a, b, c, d)");
      Float f[12];
      for (size_t k = 0; k < 12; ++k)
        f[k] = scene::ReadReal(coords[i][k], Index(at, k));
      uvws.push_back({{f[0], f[1], f[2]}, {f[3], f[4], f[5]}, {f[6], f[7], f[8]}, {f[9], f[10], f[11]}});
    }
    tag.SetUVWs(std::move(uvws));
  }

  scene::ReadBudget& budget_;
};

// The JSON library's messages start with its own tag ("[json.exception...] ");
// people reading them need only what follows.
std::string WithoutLibraryTag(const std::string& what)
{
  const std::size_t end = what.find("] ");
  return what.starts_with("[json.exception") && end != std::string::npos ? what.substr(end + 2) : what;
}

} // namespace

DocumentPtr ReadScene(std::string_view text)
{
  // Each scene level takes a few JSON levels (an object, its list, the entry).
  constexpr size_t kMaxJsonDepth = size_t(scene::kMaxNesting) * 4 + 16;
  if (text.size() > scene::kMaxFileBytes)
    throw SceneError("$", "larger than " + std::to_string(scene::kMaxFileBytes >> 20) + " MiB");
  if (JsonNestingDepth(text) > kMaxJsonDepth)
    throw SceneError("$", "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
  try
  {
    const Json root = Json::parse(text.begin(), text.end());
    scene::ReadBudget budget;
    return SceneReader(budget).Read(root);
  }
  catch (const Json::parse_error& e)
  {
    throw InputError("not valid JSON: " + WithoutLibraryTag(e.what()));
  }
  catch (const Json::exception& e)
  {
    throw InputError("unexpected JSON value: " + WithoutLibraryTag(e.what()));
  }
}

} // namespace qhost
