#include "noise_layer_settings.h"

#include <new>

#include "oxrock_ids.h"

namespace {

constexpr Float kStrengthUnits = 50.0;
constexpr Float kUnnormalizedScale = 100.0;

// Positive values are inverted; zero and negative ones pass unchanged.
Float InverseIfPositive(Float v) { return v > 0.0 ? 1.0 / v : v; }

NoiseLayerSettings ReadLayer(const BaseContainer& bc, Int32 k, Bool normalizePoints, const BaseDocument* doc)
{
  const auto id = [k](Int32 offset) { return LayerParameterId(k, offset); };
  NoiseLayerSettings layer;
  layer.use = bc.GetBool(id(OXROCK_LAYER_USE));
  layer.noiseType = bc.GetInt32(id(OXROCK_LAYER_NOISE_TYPE));
  layer.mode = bc.GetInt32(id(OXROCK_LAYER_MODE));
  layer.strength = bc.GetFloat(id(OXROCK_LAYER_STRENGTH)) * kStrengthUnits;
  const Vector scale = bc.GetVector(id(OXROCK_LAYER_NOISE_SCALE));
  layer.inverseNoiseScaleX = InverseIfPositive(scale.x);
  layer.inverseNoiseScaleY = InverseIfPositive(scale.y);
  layer.inverseNoiseScaleZ = InverseIfPositive(scale.z);
  Float overall = bc.GetFloat(id(OXROCK_LAYER_OVERALL_SCALE));
  if (!normalizePoints)
    overall *= kUnnormalizedScale;
  layer.inverseOverallScale = InverseIfPositive(overall);
  layer.absolute = bc.GetBool(id(OXROCK_LAYER_ABSOLUTE));
  layer.useFields = bc.GetBool(id(OXROCK_LAYER_USE_FIELDS));
  layer.selectionTag = static_cast<BaseTag*>(bc.GetLink(id(OXROCK_LAYER_SELECTION), doc));
  layer.selection = BaseSelect::Alloc();
  layer.flatten = bc.GetFloat(id(OXROCK_LAYER_FLATTEN));
  layer.elevateLimit = 1.0 - bc.GetFloat(id(OXROCK_LAYER_ELEVATE));
  return layer;
}

} // namespace

Int32 RefreshLayerSettings(std::vector<NoiseLayerSettings>& layers, const BaseContainer& bc, const BaseDocument* doc)
{
  layers.clear();
  const Bool normalizePoints = bc.GetBool(OXROCK_NORMALIZE_POINTS);
  if (bc.GetInt32(OXROCK_LAYER_COUNT) < 1)
    return 0;
  Int32 k = 0;
  do
  {
    NoiseLayerSettings layer = ReadLayer(bc, k, normalizePoints, doc);
    try
    {
      layers.push_back(layer);
    }
    catch (const std::bad_alloc&)
    {
      // The array cannot grow: this layer is left out of the build.
      BaseSelect::Free(layer.selection);
    }
    ++k;
  } while (k < bc.GetInt32(OXROCK_LAYER_COUNT));
  return k;
}

void ReleaseLayerSelections(std::vector<NoiseLayerSettings>& layers)
{
  for (NoiseLayerSettings& layer : layers)
    BaseSelect::Free(layer.selection);
}
