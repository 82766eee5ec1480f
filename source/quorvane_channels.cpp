#include "quorvane_channels.h"

#include "plugin_ids.h"
#include "xquorvane_ids.h"

namespace {

// Pattern parameters a placed shader hands to a Quorvane shader already in the
// channel; its gradients and colour corrections stay its own.
constexpr Int32 kCopiedParameters[] = {
    XQUORVANE_DETAIL_NOISE,  XQUORVANE_NOISE_SCALE,    XQUORVANE_DETAIL_SEED,     XQUORVANE_CELL_DISPLACED,
    XQUORVANE_CELL_SCALE,    XQUORVANE_CELL_THRESHOLD, XQUORVANE_CELL_SHARPNESS,  XQUORVANE_CELL_SEED,
};

Int32 ChannelSwitch(Int32 channel) { return channel == CHANNEL_BUMP ? MATERIAL_USE_BUMP : MATERIAL_USE_DISPLACEMENT; }
Int32 ChannelLink(Int32 channel) { return channel == CHANNEL_BUMP ? MATERIAL_BUMP_SHADER : MATERIAL_DISPLACEMENT_SHADER; }

// The standard material a shader belongs to, through the shaders that own it.
BaseMaterial* StandardMaterialOf(const BaseShader* shader)
{
  BaseList2D* owner = shader->GetMain();
  while (owner && owner->GetType() != Mmaterial && (owner->GetType() == Xlayer || owner->GetType() == ID_XQUORVANE))
    owner = owner->GetMain();
  return owner && owner->GetType() == Mmaterial ? static_cast<BaseMaterial*>(owner) : nullptr;
}

BaseShader* ChannelShader(BaseMaterial* material, Int32 channel)
{
  BaseChannel* ch = material->GetChannel(channel);
  return ch ? ch->GetShader() : nullptr;
}

// The shader a layer's link resolves to in the layer shader's document.
BaseShader* LayerLinkedShader(const LayerShaderLayer* layer, const LayerShader* owner)
{
  GeData value;
  if (!layer->GetParameter(LAYER_S_PARAM_SHADER_LINK, value) || value.GetType() != DA_VOID)
    return nullptr;
  const auto* link = static_cast<const BaseLink*>(value.GetVoid());
  if (!link)
    return nullptr;
  BaseList2D* node = link->GetLink(owner->GetDocument());
  return node ? static_cast<BaseShader*>(node) : nullptr;
}

void UpdateMaterial(BaseMaterial* material)
{
  material->Message(MSG_UPDATE);
  material->Update(true, true);
  EventAdd();
}

// Whether shader is the one the material shows in channel, directly or in a layer shader.
Bool SitsInChannel(const BaseShader* shader, BaseMaterial* material, Int32 channel)
{
  BaseShader* current = ChannelShader(material, channel);
  if (!current)
    return false;
  if (current->GetType() == ID_XQUORVANE)
    return current == shader;
  if (current->GetType() == Xlayer)
    return FindQuorvaneInLayers(static_cast<LayerShader*>(current)) == shader;
  return false;
}

Int32 ActiveRenderEngine(const BaseShader* shader)
{
  const BaseDocument* doc = shader->GetDocument();
  const RenderData* rd = doc ? doc->GetActiveRenderData() : nullptr;
  return rd ? rd->GetDataInstance()->GetInt32(RDATA_RENDERENGINE) : -1;
}

} // namespace

BaseShader* FindQuorvaneInLayers(const LayerShader* layers)
{
  for (const LayerShaderLayer* layer = layers->GetFirstLayer(); layer; layer = layer->GetNext())
  {
    if (layer->GetType() != TypeShader)
      continue;
    BaseShader* linked = LayerLinkedShader(layer, layers);
    if (!linked)
      continue;
    if (linked->GetType() == ID_XQUORVANE)
      return linked;
    if (linked->GetType() == Xlayer)
      if (BaseShader* nested = FindQuorvaneInLayers(static_cast<LayerShader*>(linked)))
        return nested;
  }
  return nullptr;
}

Bool CanPlaceIntoChannels(const BaseShader* shader)
{
  const Int32 engine = ActiveRenderEngine(shader);
  if (engine != RDATA_RENDERENGINE_STANDARD && engine != RDATA_RENDERENGINE_PHYSICAL)
    return false;
  BaseMaterial* material = StandardMaterialOf(shader);
  if (!material)
    return true;
  return !SitsInChannel(shader, material, CHANNEL_BUMP) && !SitsInChannel(shader, material, CHANNEL_DISPLACEMENT);
}

void PlaceIntoChannel(BaseShader* shader, Int32 channel)
{
  BaseMaterial* material = StandardMaterialOf(shader);
  if (!material)
    return;
  BaseContainer& materialData = *material->GetDataInstance();

  BaseShader* target = ChannelShader(material, channel);
  if (target && target->GetType() == Xlayer)
    if (BaseShader* nested = FindQuorvaneInLayers(static_cast<LayerShader*>(target)))
      target = nested;

  if (target && target->GetType() == ID_XQUORVANE)
  {
    const BaseContainer& source = *shader->GetDataInstance();
    BaseContainer& dest = *target->GetDataInstance();
    dest.SetInt32(XQUORVANE_MODE, XQUORVANE_MODE_HEIGHT);
    for (const Int32 id : kCopiedParameters)
      dest.SetData(id, source.GetData(id));
    target->SetDirty(DIRTYFLAGS_DATA);
    materialData.SetInt32(ChannelSwitch(channel), 1);
    UpdateMaterial(material);
    return;
  }

  // Clone first: the channel's old shader is only removed once its
  // replacement exists, so a failed clone loses nothing.
  auto* clone = static_cast<BaseShader*>(shader->GetClone(COPYFLAGS::NONE, nullptr));
  if (!clone)
    return;
  if (target)
  {
    target->Remove();
    BaseShader::Free(target);
    UpdateMaterial(material);
  }
  clone->GetDataInstance()->SetInt32(XQUORVANE_MODE, XQUORVANE_MODE_HEIGHT);
  materialData.SetLink(ChannelLink(channel), clone);
  material->InsertShader(clone, nullptr);
  materialData.SetInt32(ChannelSwitch(channel), 1);
  UpdateMaterial(material);
}

void ShowAbout()
{
  MessageDialog(GEMB_OK | GEMB_ICONEXCLAMATION,
                "Quorvane procedural rock shader\n"
                "Made by the Quorvane developers; free to use in your scenes.\n"
                "https://quorvane.net");
}
