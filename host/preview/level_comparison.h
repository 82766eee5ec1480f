// How much of a detailed mesh's shading a light level of detail keeps with
// and without its baked maps: the three rendered from six views with one
// camera each, compared pixel by pixel.
#pragma once

#include "host/geometry/triangle_mesh.h"
#include "host/io/png_image.h"

namespace qhost {

struct LevelShadingComparison
{
  // Mean absolute difference of the light level's picture from the detailed
  // mesh's, in 8-bit grey levels (0..255), over the pixels both meshes
  // cover in all six views.
  double withMaps = 0.0;
  double withoutMaps = 0.0;
  // Six columns (the views); rows: the detailed mesh with its occlusion,
  // the light level with its maps, the light level without them.
  // Untextured, so only shading differs.
  Image picture;
};

// light needs UVs and tangents; normalMap is its tangent-space normal map,
// occlusionMap holds occlusion in red and is shared by both meshes (the
// detailed mesh is drawn with it too, as its viewer would). Each view is viewSize pixels square.
// Throws std::runtime_error when a picture cannot be made.
LevelShadingComparison CompareLevelShading(const TriangleMesh& detailed, const TriangleMesh& light,
                                           const Image& normalMap, const Image& occlusionMap, Int32 viewSize);

} // namespace qhost
