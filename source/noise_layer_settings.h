// The per-layer record the generator derives from a layer's parameters at
// every rebuild.
#pragma once

#include <vector>

#include "hostapi/api.h"

struct NoiseLayerSettings
{
  Bool use = false;
  Int32 noiseType = 0;
  Int32 mode = 0;
  Float strength = 0.0;           // the Strength parameter times 50
  Float inverseNoiseScaleX = 0.0; // reciprocal of a positive component, else the component
  Float inverseNoiseScaleY = 0.0;
  Float inverseNoiseScaleZ = 0.0;
  Float inverseOverallScale = 0.0;
  Bool absolute = false;
  Bool useFields = false;
  BaseTag* selectionTag = nullptr; // the linked polygon selection tag, or none
  BaseSelect* selection = nullptr; // owned: the points this layer acts on, or none
  Float flatten = 0.0;
  Float elevateLimit = 0.0;        // 1 - Elevate
};

// Rebuilds layers from the generator's container, resolving selection links in
// doc; returns the number of layers visited. Selection sets of the previous
// build must already be released.
Int32 RefreshLayerSettings(std::vector<NoiseLayerSettings>& layers, const BaseContainer& bc, const BaseDocument* doc);

// Releases every record's selection set.
void ReleaseLayerSelections(std::vector<NoiseLayerSettings>& layers);
