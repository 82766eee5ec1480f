// The shader's parameters, per-render state and enabling rules.
#include "quorvane_shader.h"

#include <algorithm>

#include "quorvane_channels.h"
#include "xquorvane_ids.h"

namespace {

constexpr Int32 kCellNoiseType = SLA_NOISE_TYPE_BASE + 27;          // "Voronoi 1"
constexpr Int32 kDisplacedCellNoiseType = SLA_NOISE_TYPE_BASE + 25; // "Displaced Voronoi"
constexpr Float kDetailOctaves = 5.0;

// A two-knot gradient stored under id; left unset when no gradient can be made.
void WriteDefaultGradient(BaseContainer& bc, Int32 id, const Vector& start, const Vector& end)
{
  Gradient* gradient = Gradient::Alloc();
  if (!gradient)
    return;
  gradient->SetData(GRADIENT_MODE, GeData(Int32(0)));
  for (const auto& [colour, position] : {std::pair{start, 0.0}, std::pair{end, 1.0}})
  {
    GradientKnot knot;
    knot.col = colour;
    knot.brightness = 1.0;
    knot.pos = position;
    knot.bias = 0.5;
    knot.index = 0;
    knot.interpolation = GRADIENT_INTERPOLATION_TYPE::SMOOTHKNOT;
    gradient->InsertKnot(knot);
  }
  bc.SetData(id, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));
  Gradient::Free(gradient);
}

void SetNoiseParameter(BaseShader* shader, Int32 id, const GeData& value)
{
  shader->SetParameter(DescID(DescLevel(id)), value, DESCFLAGS_SET::NONE);
}

// Prepares a noise shader for this render and counts the preparation.
void PrepareNoise(BaseShader* shader, const InitRenderStruct& irs, Int32& initCount)
{
  if (!shader)
    return;
  shader->InitRender(irs);
  ++initCount;
}

void ReleaseNoise(BaseShader*& shader, Int32& initCount)
{
  if (!shader)
    return;
  for (; initCount > 0; --initCount)
    shader->FreeRender();
  BaseShader::Free(shader);
}

} // namespace

NodeData* QuorvaneShader::Alloc() { return NewObjClear<QuorvaneShader>(); }

Bool QuorvaneShader::Init(GeListNode* node, Bool /*isCloneInit*/)
{
  BaseContainer& bc = *static_cast<BaseList2D*>(node)->GetDataInstance();
  bc.SetInt32(XQUORVANE_MODE, XQUORVANE_MODE_COLOR);
  bc.SetInt32(XQUORVANE_CELL_DISPLACED, 0);
  bc.SetInt32(XQUORVANE_CELL_SEED, 304);
  bc.SetFloat(XQUORVANE_CELL_SCALE, 4.0);
  bc.SetFloat(XQUORVANE_CELL_SHARPNESS, 0.85);
  bc.SetFloat(XQUORVANE_CELL_THRESHOLD, 0.25);
  bc.SetInt32(XQUORVANE_DETAIL_SEED, 665);
  bc.SetFloat(XQUORVANE_NOISE_SCALE, 2.0);
  bc.SetInt32(XQUORVANE_DETAIL_NOISE, 8);
  WriteDefaultGradient(bc, XQUORVANE_COLOR_GRADIENT, Vector(0.02), Vector(0.25));
  bc.SetFloat(XQUORVANE_CLIP, 0.0);
  bc.SetFloat(XQUORVANE_TURBULENCE_MIX, 0.0);
  WriteDefaultGradient(bc, XQUORVANE_HEIGHT_GRADIENT, Vector(0.0), Vector(1.0));
  bc.SetFloat(XQUORVANE_BRIGHTNESS, 0.0);
  bc.SetFloat(XQUORVANE_CONTRAST, 0.0);
  bc.SetFloat(XQUORVANE_SATURATION, 0.0);
  bc.SetFloat(XQUORVANE_GAMMA, 1.0);
  return true;
}

void QuorvaneShader::Free(GeListNode* /*node*/)
{
  BaseShader::Free(cellNoise);
  BaseShader::Free(detailNoise);
}

Bool QuorvaneShader::Message(GeListNode* node, Int32 type, void* data)
{
  if (type == MSG_DESCRIPTION_COMMAND && data)
  {
    auto* shader = static_cast<BaseShader*>(node);
    switch (static_cast<const DescriptionCommand*>(data)->_descId[0].id)
    {
      case XQUORVANE_TO_BUMP: PlaceIntoChannel(shader, CHANNEL_BUMP); break;
      case XQUORVANE_TO_DISPLACEMENT: PlaceIntoChannel(shader, CHANNEL_DISPLACEMENT); break;
      case XQUORVANE_ABOUT: ShowAbout(); break;
      default: break;
    }
  }
  return ShaderData::Message(node, type, data);
}

Bool QuorvaneShader::GetDDescription(const GeListNode* node, Description* description, DESCFLAGS_DESC& flags) const
{
  return ShaderData::GetDDescription(node, description, flags);
}

Bool QuorvaneShader::GetDEnabling(const GeListNode* node, const DescID& id, const GeData& tData,
                                  DESCFLAGS_ENABLE flags, const BaseContainer* itemdesc) const
{
  const Int32 currentMode = static_cast<const BaseList2D*>(node)->GetDataInstance()->GetInt32(XQUORVANE_MODE);
  switch (id[0].id)
  {
    case XQUORVANE_COLOR_GRADIENT:
    case XQUORVANE_TURBULENCE_MIX: return currentMode == XQUORVANE_MODE_COLOR;
    case XQUORVANE_HEIGHT_GRADIENT: return currentMode == XQUORVANE_MODE_HEIGHT;
    case XQUORVANE_TO_BUMP:
    case XQUORVANE_TO_DISPLACEMENT: return CanPlaceIntoChannels(static_cast<const BaseShader*>(node));
    default: return ShaderData::GetDEnabling(node, id, tData, flags, itemdesc);
  }
}

void QuorvaneShader::ReadParameters(const BaseContainer& bc)
{
  mode = bc.GetInt32(XQUORVANE_MODE);
  cellDisplaced = bc.GetInt32(XQUORVANE_CELL_DISPLACED);
  cellSeed = bc.GetInt32(XQUORVANE_CELL_SEED);
  cellScale = bc.GetFloat(XQUORVANE_CELL_SCALE);
  cellThreshold = bc.GetFloat(XQUORVANE_CELL_THRESHOLD);
  cellHighClip = std::min(1.0, std::max(0.0, 1.0 - bc.GetFloat(XQUORVANE_CELL_SHARPNESS) + cellThreshold));
  detailSeed = bc.GetInt32(XQUORVANE_DETAIL_SEED);
  noiseScale = bc.GetFloat(XQUORVANE_NOISE_SCALE);
  colorGradient = bc.GetCustomDataType<Gradient>(XQUORVANE_COLOR_GRADIENT, CUSTOMDATATYPE_GRADIENT);
  detailNoiseType = bc.GetInt32(XQUORVANE_DETAIL_NOISE);
  clip = bc.GetFloat(XQUORVANE_CLIP);
  turbulenceMix = bc.GetFloat(XQUORVANE_TURBULENCE_MIX);
  heightGradient = bc.GetCustomDataType<Gradient>(XQUORVANE_HEIGHT_GRADIENT, CUSTOMDATATYPE_GRADIENT);
  brightness = bc.GetFloat(XQUORVANE_BRIGHTNESS);
  contrast = bc.GetFloat(XQUORVANE_CONTRAST);
  saturation = bc.GetFloat(XQUORVANE_SATURATION);
  gamma = bc.GetFloat(XQUORVANE_GAMMA);
}

void QuorvaneShader::CreateNoiseShaders()
{
  cellNoise = BaseShader::Alloc(Xnoise);
  if (cellNoise)
  {
    SetNoiseParameter(cellNoise, SLA_NOISE_COLOR1, Vector(0.0));
    SetNoiseParameter(cellNoise, SLA_NOISE_COLOR2, Vector(1.0));
    SetNoiseParameter(cellNoise, SLA_NOISE_SPACE, SLA_NOISE_SPACE_UV);
    SetNoiseParameter(cellNoise, SLA_NOISE_NOISE, cellDisplaced != 0 ? kDisplacedCellNoiseType : kCellNoiseType);
    SetNoiseParameter(cellNoise, SLA_NOISE_GLOBAL_SCALE, cellScale);
    SetNoiseParameter(cellNoise, SLA_NOISE_LOW_CLIP, cellThreshold);
    SetNoiseParameter(cellNoise, SLA_NOISE_HIGH_CLIP, cellHighClip);
    SetNoiseParameter(cellNoise, SLA_NOISE_SEED, cellSeed);
  }
  detailNoise = BaseShader::Alloc(Xnoise);
  if (detailNoise)
  {
    SetNoiseParameter(detailNoise, SLA_NOISE_COLOR1, Vector(0.0));
    SetNoiseParameter(detailNoise, SLA_NOISE_COLOR2, Vector(1.0));
    SetNoiseParameter(detailNoise, SLA_NOISE_SPACE, SLA_NOISE_SPACE_UV);
    SetNoiseParameter(detailNoise, SLA_NOISE_NOISE, SLA_NOISE_TYPE_BASE + detailNoiseType);
    SetNoiseParameter(detailNoise, SLA_NOISE_OCTAVES, kDetailOctaves);
    SetNoiseParameter(detailNoise, SLA_NOISE_GLOBAL_SCALE, noiseScale);
    SetNoiseParameter(detailNoise, SLA_NOISE_LOW_CLIP, 0.0);
    SetNoiseParameter(detailNoise, SLA_NOISE_HIGH_CLIP, 1.0);
    SetNoiseParameter(detailNoise, SLA_NOISE_SEED, detailSeed);
  }
  // Also after a failed allocation: the next attempt comes after FreeRender.
  noiseShadersReady = true;
}

INITRENDERRESULT QuorvaneShader::InitRender(BaseShader* sh, const InitRenderStruct& irs)
{
  ReadParameters(*sh->GetDataInstance());
  cellInitCount = 0;
  detailInitCount = 0;
  if (!noiseShadersReady)
    CreateNoiseShaders();
  PrepareNoise(cellNoise, irs, cellInitCount);
  PrepareNoise(detailNoise, irs, detailInitCount);
  return INITRENDERRESULT::OK;
}

void QuorvaneShader::FreeRender(BaseShader* /*sh*/)
{
  ReleaseNoise(cellNoise, cellInitCount);
  ReleaseNoise(detailNoise, detailInitCount);
  noiseShadersReady = false;
}

SHADERINFO QuorvaneShader::GetRenderInfo(BaseShader* /*sh*/) { return SHADERINFO::BUMP_SUPPORT; }
