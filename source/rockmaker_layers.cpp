#include "rockmaker_layers.h"

#include <new>

#include "oxrock_ids.h"

namespace {

constexpr Int32 kFieldChannels = FIELDLAYER_CHANNELFLAG_VALUE | FIELDLAYER_CHANNELFLAG_COLOR |
                                 FIELDLAYER_CHANNELFLAG_DIRECTION | FIELDLAYER_CHANNELFLAG_ROTATION;
constexpr Float kNoiseOctaves = 5.0;
constexpr Float kNoiseSampleRadius = 2.5;
constexpr Float kNoiseDetailAttenuation = 0.25;
constexpr Float kRidgedOctaves = 5.0;
constexpr Float kRidgedOffset = 0.5;
constexpr Float kRidgedGain = 1.0;

BaseTag* FindTagByName(const BaseObject* op, const String& name)
{
  for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext())
    if (tag->GetName() == name)
      return tag;
  return nullptr;
}

// The point selection of a layer's polygon selection on mesh, or none.
BaseSelect* LayerPointSelection(const NoiseLayerSettings& layer, PolygonObject* mesh, SelectionChanger* changer)
{
  if (!layer.selectionTag)
    return nullptr;
  BaseTag* tag = FindTagByName(mesh, layer.selectionTag->GetName());
  if (!tag || tag->GetType() != Tpolygonselection)
    return nullptr;
  const BaseSelect* polygons = static_cast<SelectionTag*>(tag)->GetBaseSelect();
  if (!polygons)
    return nullptr;
  if (!changer || !changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, mesh))
  {
    // The changer may still hold an earlier layer's points; a layer whose
    // selection could not be converted acts on all points instead.
    ApplicationOutput("Selection changer not inited correctly.");
    return nullptr;
  }
  const BaseSelect* points = changer->GetPointS();
  if (!points)
    return nullptr;
  BaseSelect* copy = BaseSelect::Alloc();
  if (copy)
    points->CopyTo(copy);
  return copy;
}

// Whether a top-level layer of the list samples an object of doc.
Bool HasLinkedLayer(const FieldList& fields, const BaseDocument* doc)
{
  const GeListHead* root = fields.GetLayersRoot();
  if (!root)
    return false;
  Bool linked = false;
  Int32 visited = 0;
  const Int32 count = fields.GetCount();
  for (auto* layer = static_cast<FieldLayer*>(root->GetFirst()); layer && visited < count;
       layer = layer->GetNext(), ++visited)
  {
    if (BaseList2D* object = layer->GetLinkedObject(doc))
    {
      // Brings the object's dirty state up to date before sampling.
      object->GetDirty(DIRTYFLAGS_ALL);
      linked = true;
    }
  }
  return linked;
}

Float EvaluateNoise(const DisplaceContext& context, const NoiseLayerSettings& layer, const Vector& q)
{
  switch (layer.noiseType)
  {
    case OXROCK_NOISE_RIDGED_MULTIFRACTAL:
      return RidgedMultifractal(context.fractalTable, q, kRidgedOctaves, kRidgedOffset, kRidgedGain);
    case OXROCK_NOISE_SIMPLE: return context.noise->SNoise(q);
    default:
      return context.noise->Noise(layer.noiseType, false, q, 0.0, kNoiseOctaves, layer.absolute, kNoiseSampleRadius,
                                  kNoiseDetailAttenuation, 0);
  }
}

} // namespace

void ResolveLayerSelections(std::vector<NoiseLayerSettings>& layers, PolygonObject* mesh, SelectionChanger* changer)
{
  for (NoiseLayerSettings& layer : layers)
  {
    BaseSelect::Free(layer.selection);
    layer.selection = LayerPointSelection(layer, mesh, changer);
  }
}

Status SampleFields(PolygonObject* mesh, const Matrix& m, const FieldList* fields, BaseDocument* doc,
                    FieldSamples& samples)
{
  const Int32 n = mesh->GetPointCount();
  const Vector* points = mesh->GetPointR();
  try
  {
    samples.positions.assign(size_t(n), Vector());
    samples.directions.assign(size_t(n), Vector());
    samples.uvws.assign(size_t(n), Vector());
  }
  catch (const std::bad_alloc&)
  {
    return Status::Failure("out of memory for " + std::to_string(n) + " sample points");
  }
  for (Int32 i = 0; i < n; ++i)
    samples.positions[size_t(i)] = m * points[i];

  const FieldInput input(n > 0 ? samples.positions.data() : nullptr, n > 0 ? samples.directions.data() : nullptr,
                         n > 0 ? samples.uvws.data() : nullptr, n, n);
  if (Status resized = samples.output.Resize(n, FIELDSAMPLE_FLAG_ALL); resized.HasError())
    return resized;
  Result<FieldInfo> info = FieldInfo::Create(mesh, doc, FIELDSAMPLE_FLAG_ALL, input);
  if (info.HasError())
    return Status::Failure(info.GetError());

  if (!fields || !fields->HasContent(kFieldChannels) || !fields->GetLayersRoot() || !HasLinkedLayer(*fields, doc))
    return Ok{};
  if (Status sampled = fields->SampleList(info.GetValue(), input, samples.output); sampled.HasError())
    return sampled;
  samples.sampled = true;
  return Ok{};
}

void DisplacePoint(DisplaceContext& context, Int32 i, const NoiseLayerSettings& layer)
{
  if (layer.selection && !layer.selection->IsSelected(i))
    return;
  Vector& point = context.points[i];
  Vector q = context.inverseSource * point;
  if (context.normalizePoints)
    q = q.GetNormalized();
  q.x *= layer.inverseOverallScale * layer.inverseNoiseScaleX;
  q.y *= layer.inverseOverallScale * layer.inverseNoiseScaleY;
  q.z *= layer.inverseOverallScale * layer.inverseNoiseScaleZ;
  if (!layer.use)
    return;

  const Float u = EvaluateNoise(context, layer, q);
  if (u < context.minValue)
    context.minValue = u;
  if (context.maxValue < u)
    context.maxValue = u;

  Float v = u < layer.flatten ? 0.0 : (u > layer.elevateLimit ? 1.0 : u);
  v *= layer.strength;
  const FieldSamples* fields = context.fields;
  if (fields && fields->sampled && fields->output._count > i && layer.useFields)
    v *= fields->output._value[i];

  const Vector d = context.normals[i] * v;
  if (layer.mode == OXROCK_LAYER_MODE_ADD)
    point += d;
  else if (layer.mode == OXROCK_LAYER_MODE_SUBTRACT)
    point -= d;
}
