#include "host/app/rock_scene.h"

#include <filesystem>

#include "host/app/app_context.h"
#include "host/core/node_factory.h"
#include "host/app/layer_limits.h"
#include "host/app/quorvane_material.h"
#include "host/shading/texture_tag.h"
#include "host/core/console.h"
#include "host/description/attribute_view.h"
#include "host/description/description_impl.h"
#include "host/geometry/cache_pass.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/polygon_mesh.h"
#include "host/io/mesh_file.h"
#include "host/io/scene_file.h"

namespace qhost::app {
namespace {

ObjectNode& Node(BaseObject* op) { return *As<ObjectNode>(op); }

Int32 GeneratorType() { return FindPlugin(kGeneratorDescription).registration.id; }

BaseObject* NewGenerator(BaseDocument* doc)
{
  BaseObject* generator = BaseObject::Alloc(GeneratorType());
  if (!generator)
    throw std::runtime_error("the host could not create a Quorvane Maker");
  doc->InsertObject(generator, nullptr, nullptr);
  generator->Message(MSG_MENUPREPARE);
  return generator;
}

BaseObject* FindGenerator(BaseObject* first, Int32 type)
{
  for (BaseObject* op = first; op; op = op->GetNext())
  {
    if (op->GetType() == type)
      return op;
    if (BaseObject* found = FindGenerator(op->GetDown(), type))
      return found;
  }
  return nullptr;
}

} // namespace

RockScene::RockScene(BaseDocument* doc, BaseObject* generator, BaseObject* child)
    : doc_(doc), generator_(generator), child_(child)
{
  if (child_ && child_->GetUp() != generator_)
    child_->InsertUnder(generator_);
  RebuildDescription();
  controls_ = FindGeneratorControls(elements_);
}

RockScene::RockScene(RockScene&& o) noexcept
    : doc_(std::exchange(o.doc_, nullptr)), generator_(o.generator_), child_(o.child_),
      elements_(std::move(o.elements_)), controls_(o.controls_)
{
}

RockScene::~RockScene() { BaseDocument::Free(doc_); }

RockScene RockScene::WithPrimitive(Int32 type)
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* generator = NewGenerator(doc);
  return RockScene(doc, generator, BaseObject::Alloc(type));
}

BaseObject* RockScene::MeshFileObject(const std::string& path, const MeshFileFrame& frame)
{
  const MeshData mesh = ReadMesh(path, frame);
  ObjectNode* child = NewPolygonObject(mesh);
  child->name = std::filesystem::path(path).stem().string();
  return child;
}

RockScene RockScene::WithMeshFile(const std::string& path, const MeshFileFrame& frame)
{
  BaseObject* child = MeshFileObject(path, frame);
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* generator = NewGenerator(doc);
  return RockScene(doc, generator, child);
}

RockScene RockScene::FromSceneFile(const std::string& path)
{
  DocumentPtr doc = LoadSceneFile(path);
  BaseObject* generator = FindGenerator(doc->GetFirstObject(), GeneratorType());
  if (!generator)
    throw UsageError(path + ": the scene holds no Quorvane Maker");
  BaseObject* child = generator->GetDown();
  return RockScene(doc.release(), generator, child);
}

void RockScene::SaveScene(const std::string& path) const
{
  SaveSceneFile(path, *doc_);
}

void RockScene::RebuildDescription()
{
  DescriptionImpl description;
  if (!BuildDescription(Node(generator_), description))
    throw std::runtime_error("the generator's description could not be built");
  elements_ = description.Elements();
}

void RockScene::Press(Int32 id)
{
  PressButton(Node(generator_), id);
  RebuildDescription();
}

void RockScene::AddLayer() { Press(controls_.addLayer); }
void RockScene::RemoveLayer() { Press(controls_.removeLayer); }

void RockScene::CheckLayerButtonPresses(int add, int remove) const
{
  const LayerCountRange range = LayerCountLimits(FindPlugin(kGeneratorDescription), "OXROCK_LAYER_COUNT");
  const Int32 count = generator_->GetDataInstance()->GetInt32(controls_.layerCount);
  CheckLayerChange("--add-layer " + std::to_string(add), add, count, range);
  // Layers are added first, then removed.
  CheckLayerChange("--remove-layer " + std::to_string(remove), -static_cast<long long>(remove), count + add, range);
}

BaseList2D* RockScene::SelectionNamed(const Assignment& assignment, const std::string& name) const
{
  std::string known;
  for (BaseTag* tag = child_ ? child_->GetFirstTag() : nullptr; tag; tag = tag->GetNext())
  {
    if (tag->GetType() != Tpolygonselection)
      continue;
    if (tag->GetName() == name)
      return tag;
    known += (known.empty() ? "" : ", ") + tag->GetName();
  }
  throw UsageError("--set " + assignment.text + ": the child has no polygon selection \"" + name + "\" (" +
                   (known.empty() ? std::string("it has none") : "it has: " + known) + ")");
}

void RockScene::Assign(const Assignment& assignment, const AssignmentContext& context)
{
  AssignmentContext withLinks = context;
  withLinks.linkByName = [this, &assignment](const DescElement&, const std::string& name) {
    return SelectionNamed(assignment, name);
  };
  Int32 layer = 0;
  std::string name;
  if (!ParseLayerName(assignment.name, layer, name))
    return ApplyAssignment(generator_, elements_, assignment, withLinks);
  const std::vector<DescElement> layerElements = LayerElements(elements_, layer);
  if (layerElements.empty())
    throw UsageError("--set " + assignment.text + ": the generator has " +
                     std::to_string(generator_->GetDataInstance()->GetInt32(controls_.layerCount)) +
                     " layer(s); add layers with --add-layer");
  Assignment inLayer = assignment;
  inLayer.name = name;
  ApplyAssignment(generator_, layerElements, inLayer, withLinks);
}

void RockScene::AddField(const FieldArgument& wanted)
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
  const FieldList* existing = bc.GetCustomDataType<FieldList>(controls_.fields, CUSTOMDATATYPE_FIELDLIST);
  FieldList* list = existing ? static_cast<FieldList*>(existing->Clone()) : FieldList::Alloc();
  list->AddLayer(field, nullptr);
  bc.SetData(controls_.fields, GeData(CUSTOMDATATYPE_FIELDLIST, *list));
  FieldList::Free(list);
  generator_->SetDirty(DIRTYFLAGS_DATA);
}

void RockScene::ReplaceChild(BaseObject* child)
{
  if (child_)
  {
    child_->Remove();
    BaseObject::Free(child_);
  }
  child_ = child;
  child_->InsertUnder(generator_);
  generator_->SetDirty(DIRTYFLAGS_DATA);
}

void RockScene::TakeLookOf(const RockScene& look)
{
  BaseContainer parameters = *look.generator_->GetDataInstance();
  const BaseContainer& own = *generator_->GetDataInstance();
  if (const GeData* fields = own.GetDataPointer(controls_.fields))
    parameters.SetData(controls_.fields, *fields);
  else
    parameters.RemoveData(controls_.fields);
  generator_->SetData(parameters);
  generator_->SetDirty(DIRTYFLAGS_DATA);
  RebuildDescription();

  const BaseTag* lookTag = FindTextureTag(*look.generator_);
  BaseMaterial* lookMaterial = lookTag ? TextureTagMaterial(*lookTag, look.doc_) : nullptr;
  if (!lookMaterial || !FindQuorvaneShader(*lookMaterial).shader)
    return;
  if (const BaseTag* ownTag = FindTextureTag(*generator_))
    if (BaseMaterial* shown = TextureTagMaterial(*ownTag, doc_); shown && FindQuorvaneShader(*shown).shader)
      return;
  auto* material = static_cast<BaseMaterial*>(lookMaterial->GetClone(COPYFLAGS::NONE, nullptr));
  if (!material)
    throw std::runtime_error("the host could not copy the preset's material");
  doc_->InsertMaterial(material, nullptr);
  BaseTag* tag = FindTextureTag(*generator_);
  if (!tag)
    tag = generator_->MakeTag(kTextureTag);
  if (!tag)
    throw std::runtime_error("the host could not create a texture tag");
  tag->GetDataInstance()->SetLink(kTextureTagMaterial, material);
  tag->GetDataInstance()->SetInt32(kTextureTagProjection, Int32(TextureTagProjection(*lookTag)));
}

MeshData RockScene::BuildMesh()
{
  const std::size_t linesBefore = Console::Instance().Lines().size();
  BuildCaches(doc_);
  BaseObject* cache = generator_->GetCache();
  if (!cache || cache->GetType() != Opolygon)
  {
    // The generator says why on the console; the failure carries its words to stderr.
    std::string reason;
    const std::vector<ConsoleLine> lines = Console::Instance().Lines();
    for (std::size_t i = linesBefore; i < lines.size(); ++i)
      reason += (reason.empty() ? ": " : "; ") + lines[i].text;
    throw std::runtime_error("the generator built no mesh" + (reason.empty() ? std::string(" and said nothing") : reason));
  }
  MeshData mesh = TakePolygonMesh(*As<ObjectNode>(cache));
  // The cache gave its points away: the next build must make them again.
  generator_->SetDirty(DIRTYFLAGS_DATA);
  return mesh;
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
