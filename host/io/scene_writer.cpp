// Turns a document into scene JSON; the reader in scene_reader.cpp mirrors it.
#include "host/core/document_node.h"
#include "host/core/simple_nodes.h"
#include "host/geometry/object_node.h"
#include "host/geometry/tag_nodes.h"
#include "host/io/scene_file.h"
#include "host/io/scene_values.h"
#include "host/shading/layer_shader.h"

namespace qhost {
namespace {

using scene::Json;

Json NodeJson(const NodeCore& node);

Json ListJson(const NodeList& list, Json (*encode)(const NodeCore&))
{
  Json out = Json::array();
  for (const NodeCore* n = list.first; n; n = n->next)
    out.push_back(encode(*n));
  return out;
}

Json TrackJson(const NodeCore& node)
{
  Json out = NodeJson(node);
  auto& track = const_cast<TrackNode&>(dynamic_cast<const TrackNode&>(node));
  const DescID id = track.GetDescriptionID();
  Json levels = Json::array();
  for (Int32 i = 0; i < id.GetDepth(); ++i)
    levels.push_back(Json::array({id[i].id, id[i].dtype, id[i].creator}));
  out["id"] = levels;
  Json keys = Json::array();
  for (Int32 i = 0; i < track.GetKeyCount(); ++i)
  {
    Float time = 0.0, value = 0.0;
    track.GetKey(i, &time, &value);
    keys.push_back(Json::array({scene::RealJson(time), scene::RealJson(value)}));
  }
  out["keys"] = keys;
  // The track only reports a text of its own when one was set; otherwise it
  // makes one up from its name and key count, which is not saved.
  String text;
  track.TrackInformation(nullptr, nullptr, &text, false);
  if (text != track.name + " (" + std::to_string(track.GetKeyCount()) + " keys)")
    out["information"] = text;
  return out;
}

Json LayersJson(const LayerShaderLayer* first)
{
  static constexpr Int32 kParameters[] = {kLayerOpacity, kLayerEffect, kLayerBrightness, kLayerContrast};
  Json out = Json::array();
  for (const LayerShaderLayer* layer = first; layer; layer = layer->GetNext())
  {
    Json entry = {{"type", layer->GetType()}};
    BaseContainer parameters;
    for (Int32 id : kParameters)
      if (GeData value; layer->GetParameter(id, value))
        parameters.SetData(id, value);
    entry["parameters"] = scene::ContainerJson(parameters);
    if (GeData link; layer->GetParameter(LAYER_S_PARAM_SHADER_LINK, link) && link.GetVoid())
      entry["link"] = static_cast<const BaseLink*>(link.GetVoid())->uid;
    if (layer->GetType() == TypeFolder)
      entry["layers"] = LayersJson(layer->GetFirstChild());
    out.push_back(std::move(entry));
  }
  return out;
}

// What every node has: type, name, unique ID, parameters, and the shaders and
// tracks it owns; plus what the node's family keeps besides.
Json NodeJson(const NodeCore& node)
{
  Json out = {{"type", node.Type()}, {"name", node.name}, {"uid", node.Uid()}, {"data", scene::ContainerJson(node.data)}};
  if (node.shaders.first)
    out["shaders"] = ListJson(node.shaders, NodeJson);
  if (node.tracks.first)
    out["tracks"] = ListJson(node.tracks, TrackJson);
  if (const auto* layered = dynamic_cast<const LayerShaderNode*>(&node))
    out["layers"] = LayersJson(layered->GetFirstLayer());
  if (const auto* selection = dynamic_cast<const PolygonSelectionTagNode*>(&node))
    out["selection"] = selection->Selection().ToIndices();
  if (const auto* uvw = dynamic_cast<const UVWTagNode*>(&node))
  {
    Json coords = Json::array();
    for (const UVWStruct& s : uvw->UVWs())
    {
      Json polygon = Json::array();
      for (const Vector* v : {&s.a, &s.b, &s.c, &s.d})
        for (Float f : {v->x, v->y, v->z})
          polygon.push_back(scene::RealJson(f));
      coords.push_back(std::move(polygon));
    }
    out["uvw"] = std::move(coords);
  }
  return out;
}

Json ObjectJson(const NodeCore& node)
{
  Json out = NodeJson(node);
  const auto& object = dynamic_cast<const ObjectNode&>(node);
  out["matrix"] = scene::MatrixJson(object.GetMl());
  if (object.Type() == Opolygon || !object.Points().empty() || !object.Polygons().empty())
  {
    Json points = Json::array();
    for (const Vector& p : object.Points())
      points.push_back(scene::VectorJson(p));
    Json polygons = Json::array();
    for (const CPolygon& p : object.Polygons())
      polygons.push_back(Json::array({p.a, p.b, p.c, p.d}));
    out["points"] = std::move(points);
    out["polygons"] = std::move(polygons);
  }
  if (node.tags.first)
    out["tags"] = ListJson(node.tags, NodeJson);
  if (node.children.first)
    out["children"] = ListJson(node.children, ObjectJson);
  return out;
}

} // namespace

std::string WriteScene(const BaseDocument& doc)
{
  const auto& document = dynamic_cast<const DocumentNode&>(*Core(&doc));
  Json out = {{"format", "quorvane-scene"}, {"version", scene::kFormatVersion}};
  out["document"] = NodeJson(document);
  out["objects"] = ListJson(document.children, ObjectJson);
  out["materials"] = ListJson(document.materials, NodeJson);
  const RenderData* active = doc.GetActiveRenderData();
  out["renderdata"] = {{"active", active ? active->GetUniqueId() : 0},
                       {"items", ListJson(document.renderData, NodeJson)}};
  // Names from outside (mesh files) may hold invalid UTF-8; those bytes become U+FFFD.
  return out.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace qhost
