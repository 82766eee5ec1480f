// The generator's build: its first suitable child becomes one subdivided
// polygon mesh in a temporary document, displaced by the noise layers,
// relaxed, and returned as the cache. Every failure returns an empty null object.
#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <vector>

#include "hostapi/parallel.h"
#include "oxrock_ids.h"
#include "rockmaker.h"
#include "rockmaker_layers.h"
#include "rockmaker_relax.h"
#include "scalar_math.h"

namespace {

constexpr Int32 kSourceInfoMask = OBJECT_GENERATOR | OBJECT_POLYGONOBJECT;
constexpr Int32 kFbmOctaves = 18;
constexpr Float kFbmLacunarity = 2.0;
constexpr Float kFbmH = 0.5;

BaseObject* NewNullObject() { return BaseObject::Alloc(Onull); }

// The first child that is a generator, a polygon object or a null object.
BaseObject* ChooseSource(const BaseObject* op)
{
  for (BaseObject* child = op->GetDown(); child; child = child->GetNext())
    if ((child->GetInfo() & kSourceInfoMask) != 0 || child->GetType() == Onull)
      return child;
  return nullptr;
}

// Runs a command in doc on op and takes the first result; extra results are freed.
BaseObject* FirstResult(Int32 command, BaseDocument* doc, BaseObject* op, BaseContainer* settings, Bool* ran)
{
  ModelingCommandData md;
  md.doc = doc;
  md.op = op;
  md.bc = settings;
  md.mode = MODELINGCOMMANDMODE::ALL;
  *ran = SendModelingCommand(command, md);
  BaseObject* first = nullptr;
  for (BaseObject* result : md.result)
  {
    if (!first && *ran)
      first = result;
    else
      BaseObject::Free(result);
  }
  return first;
}

// Current state, then a join when the result has children. Null on failure;
// m becomes the joined object's matrix.
BaseObject* MakeSingleObject(BaseDocument* doc, BaseObject* clone, Matrix& m)
{
  Bool ran = false;
  BaseObject* current = FirstResult(MCOMMAND_CURRENTSTATETOOBJECT, doc, clone, nullptr, &ran);
  if (!current)
    return nullptr;
  if (!current->GetDown())
    return current;
  BaseContainer joinSettings;
  joinSettings.SetBool(MDATA_JOIN_MERGE_SELTAGS, true);
  BaseObject* joined = FirstResult(MCOMMAND_JOIN, doc, current, &joinSettings, &ran);
  if (!ran)
    return current;
  BaseObject::Free(current);
  if (joined)
    m = joined->GetMg();
  return joined;
}

Bool Subdivide(BaseDocument* doc, BaseObject* mesh, const BaseContainer& bc)
{
  if (mesh->GetType() != Opolygon)
    return false;
  BaseContainer settings;
  settings.SetBool(MDATA_SUBDIVIDE_HYPER, bc.GetBool(OXROCK_SMOOTH_SUBDIVISION));
  settings.SetFloat(MDATA_SUBDIVIDE_ANGLE, kPi);
  settings.SetInt32(MDATA_SUBDIVIDE_SUB, bc.GetInt32(OXROCK_SUBDIVISIONS));
  settings.SetInt32(MDATA_SUBDIVIDE_MODE, bc.GetInt32(OXROCK_SUBDIVISION_MODE));
  ModelingCommandData md;
  md.doc = doc;
  md.op = mesh;
  md.bc = &settings;
  md.mode = MODELINGCOMMANDMODE::ALL;
  const Bool ok = SendModelingCommand(MCOMMAND_SUBDIVIDE, md);
  for (BaseObject* result : md.result)
    BaseObject::Free(result);
  return ok;
}

// Area-weighted vertex normals of the undisplaced mesh; unused points stay zero.
void ComputeVertexNormals(const PolygonObject& mesh, std::vector<Vector>& normals)
{
  const Vector* p = mesh.GetPointR();
  const CPolygon* polys = mesh.GetPolygonR();
  normals.assign(size_t(mesh.GetPointCount()), Vector());
  for (Int32 i = 0; i < mesh.GetPolygonCount(); ++i)
  {
    const CPolygon& poly = polys[i];
    const Vector face = poly.c == poly.d ? Cross(p[poly.b] - p[poly.a], p[poly.c] - p[poly.a])
                                         : Cross(p[poly.b] - p[poly.d], p[poly.c] - p[poly.a]);
    const Vector n = face.GetNormalized();
    normals[size_t(poly.a)] += n;
    normals[size_t(poly.b)] += n;
    normals[size_t(poly.c)] += n;
    if (poly.d != poly.c)
      normals[size_t(poly.d)] += n;
  }
  for (Vector& n : normals)
    n = n.GetNormalized();
}

// Every layer on every point, on the host's worker threads. Each point moves
// on its own; the range of noise values is folded over the ranges in index
// order, so it is the same as one loop over all points would find.
void DisplaceAllPoints(DisplaceContext& context, const std::vector<NoiseLayerSettings>& layers, Int32 pointCount)
{
  struct RangeResult
  {
    Int32 begin;
    Float minValue;
    Float maxValue;
  };
  std::vector<RangeResult> results;
  std::mutex resultsMutex;
  ParallelFor(pointCount, [&](Int32 begin, Int32 end) {
    DisplaceContext local = context;
    for (Int32 i = begin; i < end; ++i)
      for (const NoiseLayerSettings& layer : layers)
        DisplacePoint(local, i, layer);
    const std::lock_guard<std::mutex> lock(resultsMutex);
    results.push_back({begin, local.minValue, local.maxValue});
  });
  std::sort(results.begin(), results.end(), [](const RangeResult& a, const RangeResult& b) { return a.begin < b.begin; });
  for (const RangeResult& result : results)
  {
    if (result.minValue < context.minValue)
      context.minValue = result.minValue;
    if (context.maxValue < result.maxValue)
      context.maxValue = result.maxValue;
  }
}

void CopyPhongTag(const BaseObject* op, BaseObject* mesh)
{
  const BaseTag* phong = op->GetTag(Tphong);
  if (!phong)
    return;
  if (auto* clone = static_cast<BaseTag*>(phong->GetClone(COPYFLAGS::NONE, nullptr)))
    mesh->InsertTag(clone, nullptr);
}

} // namespace

BaseObject* RockMaker::GetVirtualObjects(BaseObject* op, const HierarchyHelp* hh)
{
  // Working data that lives for the whole call; the handles free it on every
  // path out.
  AutoFree<BaseDocument> tempDoc(BaseDocument::Alloc());
  AutoFree<SelectionChanger> changer(SelectionChanger::Alloc());
  const BaseContainer& bc = *op->GetDataInstance();
  const Float smoothing = bc.GetFloat(OXROCK_SMOOTHING);
  const Int32 passes = Int32(std::floor(smoothing));
  const Float weight = fract(smoothing);
  DisplaceContext context;
  context.normalizePoints = bc.GetBool(OXROCK_NORMALIZE_POINTS);

  // The noise generator and the fractal table the ridged noise reads.
  AutoFree<GeNoise> noise(GeNoise::Alloc(bc.GetInt32(OXROCK_SEED)));
  if (!noise || !tempDoc)
    return NewNullObject();
  Float fractalTable[kFbmTableSize] = {};
  InitFbm(fractalTable, kFbmOctaves, kFbmLacunarity, kFbmH);
  noise->InitFbm(kFbmOctaves, kFbmLacunarity, kFbmH);

  // The field list, the source child and its hierarchy clone; an unchanged
  // hierarchy hands back the current cache without rebuilding.
  const FieldList* fields = bc.GetCustomDataType<FieldList>(OXROCK_FIELDS, CUSTOMDATATYPE_FIELDLIST);
  BaseObject* source = ChooseSource(op);
  Bool dirty = false;
  BaseObject* cacheOrClone = source ? op->GetAndCheckHierarchyClone(hh, source, HIERARCHYCLONEFLAGS::ASPOLY,
                                                                    &dirty, nullptr, false)
                                    : nullptr;
  if (!cacheOrClone)
    return NewNullObject();
  if (!dirty)
    return cacheOrClone;
  AutoFree<BaseObject> clone(cacheOrClone);

  // The layer records, refreshed only when the mesh is rebuilt.
  BaseDocument* doc = hh->GetDocument();
  RefreshLayerSettings(layers_, bc, doc);

  // One subdivided polygon mesh, whatever the child was.
  Matrix m;
  AutoFree<BaseObject> mesh(MakeSingleObject(tempDoc.Get(), clone.Get(), m));
  if (mesh && !Subdivide(tempDoc.Get(), mesh.Get(), bc))
    mesh.Reset();

  std::vector<Vector> normals;
  FieldSamples samples;
  Bool reportRange = true;
  if (mesh)
  {
    // Selections and field weights; a failed sampling ends the build
    // without the range line.
    PolygonObject* poly = ToPoly(mesh.Get());
    ResolveLayerSelections(layers_, poly, changer.Get());
    if (Status sampled = SampleFields(poly, m, fields, doc, samples); sampled.HasError())
    {
      DiagnosticOutput("List sampling error: @", sampled.GetError());
      mesh.Reset();
      reportRange = false;
    }
  }
  if (mesh)
  {
    // Normals of the undisplaced mesh, then every layer on every point, so
    // each layer moves the point along where the surface faced before any noise.
    try
    {
      ComputeVertexNormals(*ToPoly(mesh.Get()), normals);
    }
    catch (const std::bad_alloc&)
    {
      mesh.Reset();
    }
  }
  if (mesh)
  {
    PolygonObject* poly = ToPoly(mesh.Get());
    context.points = poly->GetPointW();
    context.normals = normals.data();
    context.inverseSource = ~m;
    context.noise = noise.Get();
    context.fractalTable = fractalTable;
    context.fields = &samples;
    DisplaceAllPoints(context, layers_, poly->GetPointCount());

    // The generator's Phong tag, then relaxation to soften the noise.
    CopyPhongTag(op, mesh.Get());
    if (smoothing > 0.0)
      RelaxPoints(poly, weight, passes);
  }

  // The one way out of a rebuild, after success or failure alike: the
  // clone, the layer selections and the noise generator go first, then the
  // noise range is printed and the mesh handed to the host.
  clone.Reset();
  ReleaseLayerSelections(layers_);
  noise.Reset();
  // "minavl" is the system's own console text, not a typo: it stays as written.
  if (reportRange)
    ApplicationOutput("maxval = @, minavl = @", context.maxValue, context.minValue);
  return mesh ? mesh.Release() : NewNullObject();
}
