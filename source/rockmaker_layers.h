// The per-layer work of a build: selections, field weights and displacement.
#pragma once

#include <vector>

#include "hostapi/api.h"
#include "noise_layer_settings.h"

// Gives every layer the point selection of its polygon selection tag on mesh,
// found by the linked tag's name; a layer without one acts on all points.
void ResolveLayerSelections(std::vector<NoiseLayerSettings>& layers, PolygonObject* mesh, SelectionChanger* changer);

// Field weights of the mesh points, sampled once per build.
struct FieldSamples
{
  std::vector<Vector> positions;
  std::vector<Vector> directions;
  std::vector<Vector> uvws;
  FieldOutput output;
  Bool sampled = false;
};

// Samples fields at M applied to every point of mesh when the list has content
// and a layer linked to an object of doc; fails with the host's error.
Status SampleFields(PolygonObject* mesh, const Matrix& m, const FieldList* fields, BaseDocument* doc,
                    FieldSamples& samples);

// What displacing one point by one layer reads and updates.
struct DisplaceContext
{
  Vector* points = nullptr;
  const Vector* normals = nullptr;
  Matrix inverseSource;
  Bool normalizePoints = true;
  const GeNoise* noise = nullptr;
  const Float* fractalTable = nullptr;
  const FieldSamples* fields = nullptr;
  Float maxValue = -kMaxFloat;
  Float minValue = kMaxFloat;
};

// Moves point i along or against its normal by the layer's shaped noise value.
void DisplacePoint(DisplaceContext& context, Int32 i, const NoiseLayerSettings& layer);
