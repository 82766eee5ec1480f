// The rock generator's controls as its description shows them: the layer
// count, the layer buttons, the fields and one group of parameters per noise
// layer. Everything is found by identifier or by the groups' structure, the
// way an attribute manager finds it, never by the generator's own ID layout.
#pragma once

#include <string>
#include <vector>

#include "host/core/description_resource.h"
#include "host/description/attribute_view.h"

namespace qhost::app {

// The generator's description name (its plug-in is looked up by it).
inline constexpr const char* kGeneratorDescription = "oxrock";

struct GeneratorControls
{
  Int32 layerCount = 0;
  Int32 addLayer = 0;
  Int32 removeLayer = 0;
  Int32 fields = 0;
};

// Finds the controls in a description of the generator; throws UsageError
// when one is missing.
GeneratorControls FindGeneratorControls(const std::vector<DescElement>& description);

// The parameters of layer (from 1): the elements of the layer-th group inside
// the group identified OXROCK_LAYERS_GROUP. The generator gives them no
// identifiers, so each gets OXROCK_LAYER_ and its label in upper case with
// underscores (OXROCK_LAYER_STRENGTH, OXROCK_LAYER_USE_LAYER). Empty when
// there is no such layer.
std::vector<DescElement> LayerElements(const std::vector<DescElement>& description, Int32 layer);

// The generator's layer parameters carry no identifiers of their own: gives
// the view's layer parameters the ones --set accepts for them.
void NameLayerParameters(NodeCore& node, AttributeView& view);

// "layerK.NAME" split into K and NAME; false for any other name.
bool ParseLayerName(const std::string& name, Int32& layer, std::string& rest);

} // namespace qhost::app
