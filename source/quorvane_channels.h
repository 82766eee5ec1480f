// The shader's buttons: placing it into its material's bump or displacement
// channel, and the About box.
#pragma once

#include "hostapi/api.h"

// Places shader into channel (CHANNEL_BUMP or CHANNEL_DISPLACEMENT) of the
// standard material it belongs to; nothing for any other owner.
void PlaceIntoChannel(BaseShader* shader, Int32 channel);

// Whether the placing buttons are enabled: the shader sits in neither channel
// and the active render engine is the standard or the physical one.
Bool CanPlaceIntoChannels(const BaseShader* shader);

// The first Quorvane shader in a layer shader's layers, depth first, or null.
BaseShader* FindQuorvaneInLayers(const LayerShader* layers);

void ShowAbout();
