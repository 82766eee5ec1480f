#include "host/app/rock_scene.h"

#include <charconv>
#include <filesystem>

#include "host/app/app_context.h"
#include "host/description/attribute_view.h"
#include "host/description/description_impl.h"
#include "host/geometry/cache_pass.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/polygon_mesh.h"
#include "host/io/mesh_file.h"
#include "host/io/scene_file.h"

namespace qhost::app {
namespace {

constexpr Int32 kLayerFirstId = 10021;
constexpr Int32 kLayerStride = 20;
constexpr Int32 kLayerSelectionOffset = 9;
constexpr Int32 kLayerCountId = 3000;
constexpr Int32 kFieldsId = 2006;
constexpr const char* kLayerPrefix = "layer";

// The generator's documented names of the layer parameters and their offsets in
// a layer's block of IDs.
constexpr struct
{
  const char* ident;
  Int32 offset;
} kLayerIdents[] = {
    {"OXROCK_LAYER_USE", 3},           {"OXROCK_LAYER_NOISE_TYPE", 4}, {"OXROCK_LAYER_STRENGTH", 5},
    {"OXROCK_LAYER_NOISE_SCALE", 6},   {"OXROCK_LAYER_ABSOLUTE", 7},   {"OXROCK_LAYER_USE_FIELDS", 8},
    {"OXROCK_LAYER_SELECTION", 9},     {"OXROCK_LAYER_FLATTEN", 11},   {"OXROCK_LAYER_ELEVATE", 12},
    {"OXROCK_LAYER_OVERALL_SCALE", 13}, {"OXROCK_LAYER_MODE", 16},
};

ObjectNode& Node(BaseObject* op) { return *As<ObjectNode>(op); }

BaseObject* NewGenerator(BaseDocument* doc)
{
  BaseObject* generator = BaseObject::Alloc(kRockMakerId);
  if (!generator)
    throw UsageError("the Quorvane Maker (plug-in " + std::to_string(kRockMakerId) + ") is not registered");
  doc->InsertObject(generator, nullptr, nullptr);
  generator->Message(MSG_MENUPREPARE);
  return generator;
}

bool ParseLayerName(const std::string& name, Int32& layer, std::string& rest)
{
  const size_t prefix = std::char_traits<char>::length(kLayerPrefix);
  const size_t dot = name.find('.');
  if (name.compare(0, prefix, kLayerPrefix) != 0 || dot == std::string::npos)
    return false;
  const auto result = std::from_chars(name.data() + prefix, name.data() + dot, layer);
  if (result.ec != std::errc() || result.ptr != name.data() + dot)
    return false;
  rest = name.substr(dot + 1);
  return true;
}

BaseObject* FindGenerator(BaseObject* first)
{
  for (BaseObject* op = first; op; op = op->GetNext())
  {
    if (op->GetType() == kRockMakerId)
      return op;
    if (BaseObject* found = FindGenerator(op->GetDown()))
      return found;
  }
  return nullptr;
}

BaseTag* FindSelectionTag(const BaseObject* op, const std::string& name)
{
  if (!op)
    return nullptr;
  for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext())
    if (tag->GetType() == Tpolygonselection && tag->GetName() == name)
      return tag;
  return nullptr;
}

} // namespace

FieldSpec ParseFieldSpec(const std::string& text)
{
  std::vector<std::string> parts;
  for (size_t start = 0;;)
  {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  const auto fail = [&] { throw UsageError("--field " + text + ": expected SHAPE,X,Y,Z,INNER,OUTER"); };
  if (parts.size() != 6)
    fail();
  FieldSpec field;
  if (parts[0] == "spherical")
    field.type = Ofield_spherical;
  else if (parts[0] == "linear")
    field.type = Ofield_linear;
  else if (parts[0] == "box")
    field.type = Ofield_box;
  else
    throw UsageError("--field " + text + ": unknown shape \"" + parts[0] + "\" (spherical, linear or box)");
  Float values[5] = {};
  for (int i = 0; i < 5; ++i)
  {
    const std::string& p = parts[size_t(i + 1)];
    const auto result = std::from_chars(p.data(), p.data() + p.size(), values[i]);
    if (result.ec != std::errc() || result.ptr != p.data() + p.size() || p.empty())
      fail();
  }
  field.position = Vector(values[0], values[1], values[2]);
  field.inner = values[3];
  field.outer = values[4];
  return field;
}

RockScene::RockScene(BaseDocument* doc, BaseObject* generator, BaseObject* child)
    : doc_(doc), generator_(generator), child_(child)
{
  if (child_ && child_->GetUp() != generator_)
    child_->InsertUnder(generator_);
  RebuildDescription();
}

RockScene::RockScene(RockScene&& o) noexcept
    : doc_(std::exchange(o.doc_, nullptr)), generator_(o.generator_), child_(o.child_), elements_(std::move(o.elements_))
{
}

RockScene::~RockScene() { BaseDocument::Free(doc_); }

RockScene RockScene::WithCube()
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* generator = NewGenerator(doc);
  return RockScene(doc, generator, BaseObject::Alloc(Ocube));
}

RockScene RockScene::WithMeshFile(const std::string& path, const MeshFileFrame& frame)
{
  MeshData mesh;
  std::string error;
  if (!ReadMesh(path, mesh, error, frame))
    throw UsageError(error);
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* generator = NewGenerator(doc);
  ObjectNode* child = NewPolygonObject(mesh);
  child->name = std::filesystem::path(path).stem().string();
  return RockScene(doc, generator, child);
}

RockScene RockScene::FromSceneFile(const std::string& path)
{
  std::string error;
  DocumentPtr doc = LoadSceneFile(path, error);
  if (!doc)
    throw UsageError(error);
  BaseObject* generator = FindGenerator(doc->GetFirstObject());
  if (!generator)
    throw UsageError(path + ": the scene holds no Quorvane Maker (plug-in " + std::to_string(kRockMakerId) + ")");
  BaseObject* child = generator->GetDown();
  return RockScene(doc.release(), generator, child);
}

void RockScene::SaveScene(const std::string& path) const
{
  std::string error;
  if (!SaveSceneFile(path, *doc_, error))
    throw std::runtime_error(error);
}

void RockScene::RebuildDescription()
{
  DescriptionImpl description;
  if (!BuildDescription(Node(generator_), description))
    throw std::runtime_error("the generator's description could not be built");
  elements_ = description.Elements();
}

void RockScene::PressGeneratorButton(Int32 id)
{
  PressButton(Node(generator_), id);
  RebuildDescription();
}

void RockScene::Assign(const Assignment& assignment)
{
  Int32 layer = 0;
  std::string rest;
  if (ParseLayerName(assignment.name, layer, rest))
    AssignLayerParameter(layer, rest, assignment.value);
  else
    ApplyAssignment(generator_, elements_, assignment);
}

void RockScene::AssignLayerParameter(Int32 layer, const std::string& name, const std::string& value)
{
  const Int32 count = generator_->GetDataInstance()->GetInt32(kLayerCountId);
  if (layer < 1 || layer > count)
    throw UsageError("--set layer" + std::to_string(layer) + "." + name + ": the generator has " +
                     std::to_string(count) + " layer(s); add layers with --add-layer");
  const Int32 base = kLayerFirstId + kLayerStride * (layer - 1);
  std::string target = name;
  for (const auto& alias : kLayerIdents)
    if (name == alias.ident)
      target = std::to_string(base + alias.offset);
  if (target == std::to_string(base + kLayerSelectionOffset))
  {
    BaseTag* tag = FindSelectionTag(child_, value);
    if (!tag)
      throw UsageError("--set layer" + std::to_string(layer) + "." + name + ": the child has no polygon selection \"" +
                       value + "\"");
    generator_->GetDataInstance()->SetLink(base + kLayerSelectionOffset, tag);
    generator_->SetDirty(DIRTYFLAGS_DATA);
    return;
  }
  // Labels are shared by all layers, so look only at this layer's block.
  std::vector<DescElement> layerElements;
  for (const DescElement& e : elements_)
    if (e.id[0].id > base && e.id[0].id < base + kLayerStride)
      layerElements.push_back(e);
  ApplyAssignment(generator_, layerElements, {target, value});
}

void RockScene::AddField(const FieldSpec& wanted)
{
  BaseObject* field = BaseObject::Alloc(wanted.type);
  if (!field)
    throw std::runtime_error("this host has no field objects");
  Matrix m;
  m.off = wanted.position;
  field->SetMl(m);
  BaseContainer& fieldData = *field->GetDataInstance();
  fieldData.SetFloat(1001, wanted.inner);
  fieldData.SetFloat(1002, wanted.outer);
  doc_->InsertObject(field, nullptr, nullptr);

  BaseContainer& bc = *generator_->GetDataInstance();
  const FieldList* existing = bc.GetCustomDataType<FieldList>(kFieldsId, CUSTOMDATATYPE_FIELDLIST);
  FieldList* list = existing ? static_cast<FieldList*>(existing->Clone()) : FieldList::Alloc();
  list->AddLayer(field, nullptr);
  bc.SetData(kFieldsId, GeData(CUSTOMDATATYPE_FIELDLIST, *list));
  FieldList::Free(list);
  generator_->SetDirty(DIRTYFLAGS_DATA);
}

MeshData RockScene::BuildMesh()
{
  BuildCaches(doc_);
  const BaseObject* cache = generator_->GetCache();
  if (!cache || cache->GetType() != Opolygon)
    throw std::runtime_error("the generator built no mesh (see the console lines above)");
  return ReadPolygonMesh(*As<ObjectNode>(cache));
}

std::vector<Vector> RockScene::CornerNormals(const MeshData& mesh) const
{
  const BaseObject* cache = generator_->GetCache();
  const BaseTag* phong = cache ? cache->GetTag(Tphong) : nullptr;
  if (!phong)
    return ComputeCornerNormals(mesh, true, 0.0); // no Phong tag: flat shading
  const bool limit = phong->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT);
  const Float angle = phong->GetDataInstance()->GetFloat(PHONGTAG_PHONG_ANGLE, kPi);
  return ComputeCornerNormals(mesh, limit, angle);
}

} // namespace qhost::app
