#include "host/io/scene_values.h"

#include <unordered_set>

#include "host/fields/field_list.h"
#include "host/shading/host_gradient.h"

namespace qhost::scene {
namespace {

Json LayersJson(const NodeList& layers)
{
  Json out = Json::array();
  for (const NodeCore* layer = layers.first; layer; layer = layer->next)
    out.push_back({{"type", layer->Type()},
                   {"name", layer->name},
                   {"data", ContainerJson(layer->data)},
                   {"children", LayersJson(layer->children)}});
  return out;
}

void ReadLayers(const Json& json, const std::string& path, ReadBudget& budget, NodeList& into)
{
  const NestingGuard nesting(budget, path);
  for (size_t i = 0; i < json.size(); ++i)
  {
    const std::string at = Index(path, i);
    const Int32 type = ReadInt32(Member(json[i], "type", at), Key(at, "type"));
    if (type != FLfield && type != FLfolder)
      throw SceneError(Key(at, "type"), "unknown field layer type " + std::to_string(type));
    // In the list from the start, so the list frees it and its children if reading fails.
    auto* layer = new FieldLayerNode(type);
    into.Append(layer);
    layer->name = ReadString(Member(json[i], "name", at), Key(at, "name"));
    layer->data = ReadContainer(Member(json[i], "data", at), Key(at, "data"), budget);
    ReadLayers(ArrayMember(json[i], "children", at), Key(at, "children"), budget, layer->children);
  }
}

Json GradientJson(const HostGradient& gradient)
{
  const GradientModel& model = gradient.Model();
  Json knots = Json::array();
  for (Int32 i = 0; i < model.GetKnotCount(); ++i)
  {
    const GradientKnot& k = *model.GetKnot(i);
    knots.push_back({{"color", VectorJson(k.color)},
                     {"brightness", RealJson(k.brightness)},
                     {"position", RealJson(k.position)},
                     {"bias", RealJson(k.bias)},
                     {"index", k.index},
                     {"interpolation", k.interpolation}});
  }
  Json settings = Json::array();
  for (const auto& [id, value] : model.GetSettings())
    settings.push_back(Json::array({id, value}));
  return {{"knots", knots}, {"settings", settings}};
}

HostGradient ReadGradient(const Json& json, const std::string& path, ReadBudget& budget)
{
  GradientModel model;
  const Json& knots = ArrayMember(json, "knots", path);
  budget.Spend(knots.size(), Key(path, "knots"));
  for (size_t i = 0; i < knots.size(); ++i)
  {
    const std::string at = Index(Key(path, "knots"), i);
    GradientKnot k;
    k.color = ReadVector(Member(knots[i], "color", at), Key(at, "color"));
    k.brightness = ReadReal(Member(knots[i], "brightness", at), Key(at, "brightness"));
    k.position = ReadReal(Member(knots[i], "position", at), Key(at, "position"));
    k.bias = ReadReal(Member(knots[i], "bias", at), Key(at, "bias"));
    k.index = ReadInt32(Member(knots[i], "index", at), Key(at, "index"));
    k.interpolation = ReadInt32(Member(knots[i], "interpolation", at), Key(at, "interpolation"));
    model.InsertKnot(k);
  }
  const Json& settings = ArrayMember(json, "settings", path);
  for (size_t i = 0; i < settings.size(); ++i)
  {
    const std::string at = Index(Key(path, "settings"), i);
    if (!settings[i].is_array() || settings[i].size() != 2)
      throw SceneError(at, "expected [id, value]");
    model.SetSetting(ReadInt32(settings[i][0], Index(at, 0)), ReadInt32(settings[i][1], Index(at, 1)));
  }
  return HostGradient(model);
}

// The kind tag and value of one entry; false for values a file cannot hold.
bool ValueJson(const GeData& value, Json& entry)
{
  switch (value.GetType())
  {
    case DA_NIL: entry["kind"] = "nil"; return true;
    case DA_LONG: entry["kind"] = "long"; entry["value"] = value.GetInt32(); return true;
    case DA_REAL: entry["kind"] = "real"; entry["value"] = RealJson(value.GetFloat()); return true;
    case DA_VECTOR: entry["kind"] = "vector"; entry["value"] = VectorJson(value.GetVector()); return true;
    case DA_MATRIX: entry["kind"] = "matrix"; entry["value"] = MatrixJson(value.GetMatrix()); return true;
    case DA_STRING: entry["kind"] = "string"; entry["value"] = value.GetString(); return true;
    case DA_ALIASLINK: entry["kind"] = "link"; entry["value"] = value.GetBaseLink().uid; return true;
    case DA_CONTAINER: entry["kind"] = "container"; entry["value"] = ContainerJson(*value.GetContainer()); return true;
    case CUSTOMDATATYPE_GRADIENT:
      if (const auto* g = dynamic_cast<const HostGradient*>(value.GetCustomData(CUSTOMDATATYPE_GRADIENT)))
      {
        entry["kind"] = "gradient";
        entry["value"] = GradientJson(*g);
        return true;
      }
      return false;
    case CUSTOMDATATYPE_FIELDLIST:
      if (const auto* f = dynamic_cast<const HostFieldList*>(value.GetCustomData(CUSTOMDATATYPE_FIELDLIST)))
      {
        entry["kind"] = "fieldlist";
        entry["value"] = {{"layers", LayersJson(f->Layers())}};
        return true;
      }
      return false;
    default: return false; // raw pointers and custom data this host cannot code
  }
}

GeData ReadValue(const std::string& kind, const Json& entry, const std::string& path, ReadBudget& budget)
{
  if (kind == "nil")
    return GeData();
  const Json& value = Member(entry, "value", path);
  const std::string at = Key(path, "value");
  if (kind == "long")
    return GeData(ReadInt32(value, at));
  if (kind == "real")
    return GeData(ReadReal(value, at));
  if (kind == "vector")
    return GeData(ReadVector(value, at));
  if (kind == "matrix")
    return GeData(ReadMatrix(value, at));
  if (kind == "string")
    return GeData(ReadString(value, at));
  if (kind == "link")
    return GeData(BaseLink{ReadUid(value, at)});
  if (kind == "container")
    return GeData(ReadContainer(value, at, budget));
  if (kind == "gradient")
    return GeData(CUSTOMDATATYPE_GRADIENT, ReadGradient(value, at, budget));
  if (kind == "fieldlist")
  {
    HostFieldList list;
    ReadLayers(ArrayMember(value, "layers", at), Key(at, "layers"), budget, list.Layers());
    return GeData(CUSTOMDATATYPE_FIELDLIST, list);
  }
  throw SceneError(Key(path, "kind"), "unknown value kind \"" + kind + "\"");
}

} // namespace

Json ContainerJson(const BaseContainer& bc)
{
  Json entries = Json::array();
  for (Int32 i = 0; i < bc.GetEntryCount(); ++i)
  {
    Json entry = {{"id", bc.GetIndexId(i)}};
    if (ValueJson(bc.GetIndexData(i), entry))
      entries.push_back(std::move(entry));
  }
  return {{"id", bc.GetId()}, {"entries", std::move(entries)}};
}

BaseContainer ReadContainer(const Json& json, const std::string& path, ReadBudget& budget)
{
  const NestingGuard nesting(budget, path);
  BaseContainer bc(ReadInt32(Member(json, "id", path), Key(path, "id")));
  const Json& entries = ArrayMember(json, "entries", path);
  // A container finds an entry by walking its list, so filling one costs the
  // square of its size: the cap keeps a hostile file from taking minutes.
  if (entries.size() > kMaxContainerEntries)
    throw SceneError(Key(path, "entries"), std::to_string(entries.size()) + " entries; at most " +
                                             std::to_string(kMaxContainerEntries) + " in one container");
  std::unordered_set<Int32> seen;
  for (size_t i = 0; i < entries.size(); ++i)
  {
    const std::string at = Index(Key(path, "entries"), i);
    const Int32 id = ReadInt32(Member(entries[i], "id", at), Key(at, "id"));
    if (!seen.insert(id).second)
      throw SceneError(Key(at, "id"), "duplicate entry ID " + std::to_string(id));
    bc.SetData(id, ReadValue(ReadString(Member(entries[i], "kind", at), Key(at, "kind")), entries[i], at, budget));
  }
  return bc;
}

} // namespace qhost::scene
