// The generator's dynamic description: one "Noise Layer" group per layer, the
// initial values of a new layer, and which controls are enabled.
#include <array>

#include "noise_type_menu.h"
#include "oxrock_ids.h"
#include "rockmaker.h"

namespace {

constexpr Int32 kStaticTextGui = 12;
constexpr Int32 kBoolGui = 400006001;

// Noise types that have no use for "Absolute Values".
constexpr Int32 kTypesWithoutAbsolute[] = {4, 11, 13, 19, 24, 31, 32, 33, 400, 500};

void SetNames(BaseContainer& bc, const char* label)
{
  bc.SetString(DESC_NAME, label);
  bc.SetString(DESC_SHORT_NAME, label);
}

// Settings of a percent slider with a lower limit of 0.
BaseContainer PercentSlider(const char* label, Float maxSlider, Float step, Float defaultValue)
{
  BaseContainer bc = GetCustomDataTypeDefault(DTYPE_REAL);
  SetNames(bc, label);
  bc.SetBool(DESC_ANIMATE, true);
  bc.SetInt32(DESC_UNIT, DESC_UNIT_PERCENT);
  bc.SetFloat(DESC_MIN, 0.0);
  bc.SetFloat(DESC_MINSLIDER, 0.0);
  bc.SetFloat(DESC_MAXSLIDER, maxSlider);
  bc.SetFloat(DESC_STEP, step);
  bc.SetInt32(DESC_CUSTOMGUI, CUSTOMGUI_REALSLIDER);
  bc.SetBool(DESC_SCALEH, true);
  bc.SetFloat(DESC_DEFAULT, defaultValue);
  return bc;
}

BaseContainer LimitedSlider(const char* label)
{
  BaseContainer bc = PercentSlider(label, 1.0, 0.01, 0.0);
  bc.SetFloat(DESC_MAX, 1.0);
  return bc;
}

BaseContainer Switch(const char* label)
{
  BaseContainer bc = GetCustomDataTypeDefault(DTYPE_BOOL);
  SetNames(bc, label);
  bc.SetBool(DESC_ANIMATE, true);
  bc.SetInt32(DESC_CUSTOMGUI, kBoolGui);
  bc.SetBool(DESC_REMOVEABLE, false);
  bc.SetBool(DESC_DEFAULT, true);
  return bc;
}

BaseContainer Choice(const char* label, const BaseContainer& cycle, Int32 defaultValue)
{
  BaseContainer bc = GetCustomDataTypeDefault(DTYPE_LONG);
  SetNames(bc, label);
  bc.SetContainer(DESC_CYCLE, cycle);
  bc.SetBool(DESC_SCALEH, true);
  bc.SetInt32(DESC_DEFAULT, defaultValue);
  return bc;
}

// The settings of every kind of layer element, built once per description.
struct LayerTemplates
{
  BaseContainer group, spacer, initialized, mode, noiseType, strength, noiseScale, overallScale;
  BaseContainer useLayer, absolute, useFields, selection, flatten, elevate;

  LayerTemplates()
  {
    group = GetCustomDataTypeDefault(DTYPE_GROUP);
    SetNames(group, "Noise Layer");
    group.SetInt32(DESC_DEFAULT, 1);
    group.SetInt32(DESC_COLUMNS, 2);

    spacer = GetCustomDataTypeDefault(DTYPE_STATICTEXT);
    spacer.SetBool(DESC_ANIMATE, false);
    spacer.SetString(DESC_DEFAULT, String());
    spacer.SetInt32(DESC_CUSTOMGUI, kStaticTextGui);
    spacer.SetBool(STATICTEXT_SPACER, true);

    initialized = GetCustomDataTypeDefault(DTYPE_BOOL);
    initialized.SetBool(DESC_HIDE, true);

    BaseContainer modeCycle(-1);
    modeCycle.SetString(OXROCK_LAYER_MODE_ADD, "Add");
    modeCycle.SetString(OXROCK_LAYER_MODE_SUBTRACT, "Subtract");
    mode = Choice("Mode", modeCycle, OXROCK_LAYER_MODE_ADD);

    BaseContainer noiseCycle(-1);
    for (const NoiseTypeEntry& entry : kNoiseTypeMenu)
      noiseCycle.SetString(entry.value, entry.label);
    noiseType = Choice("Noise Type", noiseCycle, OXROCK_NOISE_ELECTRIC);

    strength = PercentSlider("Strength", 2.5, 0.01, 1.0);
    overallScale = PercentSlider("Overall Scale", 2.0, 0.001, 1.0);

    noiseScale = GetCustomDataTypeDefault(DTYPE_VECTOR);
    SetNames(noiseScale, "Noise Scale");
    noiseScale.SetBool(DESC_ANIMATE, true);
    noiseScale.SetInt32(DESC_UNIT, DESC_UNIT_PERCENT);
    noiseScale.SetFloat(DESC_MIN, 0.0);
    noiseScale.SetVector(DESC_STEP, Vector(0.001));
    noiseScale.SetBool(DESC_SCALEH, true);
    noiseScale.SetVector(DESC_DEFAULT, Vector(1.0));

    useLayer = Switch("Use Layer");
    absolute = Switch("Absolute Values");
    useFields = Switch("Use Fields");

    BaseContainer accept = GetCustomDataTypeDefault(DTYPE_LONG);
    accept.SetInt32(Tpolygonselection, 1);
    selection = GetCustomDataTypeDefault(DTYPE_BASELISTLINK);
    SetNames(selection, "Selection");
    selection.SetBool(DESC_ANIMATE, true);
    selection.SetContainer(DESC_ACCEPT, accept);
    selection.SetBool(DESC_SCALEH, true);

    flatten = LimitedSlider("Flatten");
    elevate = LimitedSlider("Elevate");
  }
};

struct LayerElement
{
  Int32 offset;
  Int32 dtype;
  const BaseContainer* settings;
  GeData initialValue; // DA_NIL: none
};

} // namespace

Bool RockMaker::GetDDescription(const GeListNode* node, Description* description, DESCFLAGS_DESC& flags) const
{
  if (!description->LoadDescription(node->GetType()))
    return false;
  const DescID* singleId = description->GetSingleDescID();
  // The initial values of a new layer are written into the node's own container.
  BaseContainer& bc = *const_cast<BaseList2D*>(static_cast<const BaseList2D*>(node))->GetDataInstance();
  const Int32 layerCount = bc.GetInt32(OXROCK_LAYER_COUNT);

  const LayerTemplates t;
  const std::array<LayerElement, 16> elements{{
      {OXROCK_LAYER_GROUP, DTYPE_GROUP, &t.group, {}},
      {OXROCK_LAYER_INITIALIZED, DTYPE_BOOL, &t.initialized, {}},
      {OXROCK_LAYER_USE, DTYPE_BOOL, &t.useLayer, GeData(true)},
      {OXROCK_LAYER_SPACER_A, DTYPE_STATICTEXT, &t.spacer, {}},
      {OXROCK_LAYER_NOISE_TYPE, DTYPE_LONG, &t.noiseType, GeData(Int32(OXROCK_NOISE_ELECTRIC))},
      {OXROCK_LAYER_MODE, DTYPE_LONG, &t.mode, GeData(Int32(OXROCK_LAYER_MODE_ADD))},
      {OXROCK_LAYER_STRENGTH, DTYPE_REAL, &t.strength, GeData(1.0)},
      {OXROCK_LAYER_OVERALL_SCALE, DTYPE_REAL, &t.overallScale, GeData(1.0)},
      {OXROCK_LAYER_NOISE_SCALE, DTYPE_VECTOR, &t.noiseScale, GeData(Vector(1.0))},
      {OXROCK_LAYER_SPACER_B, DTYPE_STATICTEXT, &t.spacer, {}},
      {OXROCK_LAYER_FLATTEN, DTYPE_REAL, &t.flatten, GeData(0.0)},
      {OXROCK_LAYER_ELEVATE, DTYPE_REAL, &t.elevate, GeData(0.0)},
      {OXROCK_LAYER_ABSOLUTE, DTYPE_BOOL, &t.absolute, GeData(false)},
      {OXROCK_LAYER_USE_FIELDS, DTYPE_BOOL, &t.useFields, GeData(true)},
      {OXROCK_LAYER_SELECTION, DTYPE_BASELISTLINK, &t.selection, {}},
      {OXROCK_LAYER_SPACER_C, DTYPE_STATICTEXT, &t.spacer, {}},
  }};

  for (Int32 k = 0; k < layerCount; ++k)
  {
    const Int32 group = LayerParameterId(k, OXROCK_LAYER_GROUP);
    const Int32 initializedId = LayerParameterId(k, OXROCK_LAYER_INITIALIZED);
    for (const LayerElement& element : elements)
    {
      const Int32 elementId = group + element.offset;
      const DescID id(DescLevel(elementId, element.dtype, 0));
      if (singleId && !id.IsPartOf(*singleId, nullptr))
        continue;
      const DescID parent = element.offset == OXROCK_LAYER_GROUP ? DescID(DescLevel(OXROCK_LAYERS_GROUP, 0, 0))
                                                                 : DescID(DescLevel(group, 0, 0));
      if (!description->SetParameter(id, *element.settings, parent))
        return true;
      if (element.initialValue.GetType() != DA_NIL && !bc.GetBool(initializedId))
        bc.SetData(elementId, element.initialValue);
    }
    // A request for a single element wrote at most that element's value, so the
    // layer is only marked initialised by a full pass.
    if (!singleId)
      bc.SetBool(initializedId, true);
  }

  flags |= DESCFLAGS_DESC::LOADED;
  return ObjectData::GetDDescription(node, description, flags);
}

Bool RockMaker::GetDEnabling(const GeListNode* node, const DescID& id, const GeData& tData, DESCFLAGS_ENABLE flags,
                             const BaseContainer* itemdesc) const
{
  const BaseContainer& bc = *static_cast<const BaseList2D*>(node)->GetDataInstance();
  const Int32 id0 = id[0].id;
  if (id0 == OXROCK_REMOVE_LAYER)
    return bc.GetInt32(OXROCK_LAYER_COUNT) > 1;
  for (Int32 k = 0; k < bc.GetInt32(OXROCK_LAYER_COUNT); ++k)
  {
    if (id0 - LayerParameterId(k, OXROCK_LAYER_GROUP) != OXROCK_LAYER_ABSOLUTE)
      continue;
    const Int32 noiseType = bc.GetInt32(LayerParameterId(k, OXROCK_LAYER_NOISE_TYPE));
    for (const Int32 without : kTypesWithoutAbsolute)
      if (noiseType == without)
        return false;
    return true;
  }
  return ObjectData::GetDEnabling(node, id, tData, flags, itemdesc);
}
