// The texture of `quorvane rock --texture`: the rock document's Quorvane
// material baked over the built mesh's UV layout, its texture positions found
// by the chosen projection.
#pragma once

#include <string>

#include "host/app/quorvane_material.h"
#include "host/geometry/mesh_data.h"
#include "host/shading/texture_projection.h"

namespace qhost::app {

// "uv" or "solid"; throws UsageError naming --projection.
TextureProjection ParseProjection(const std::string& text);

// Bakes the document's first material holding a Quorvane shader, or a new one
// added to the document (so a saved scene keeps it), over the mesh's UVs.
// With the solid projection every texel samples the surface point it shows,
// in the frame SolidFrame fits to the mesh, so the colour runs on across UV
// seams; with the UV projection it samples its own (u, v, 0). The mesh must
// have UVs. Throws UsageError for bad settings, std::runtime_error when the
// bake fails.
Image BakeRockTexture(BaseDocument& doc, const MeshData& mesh, TextureProjection projection,
                      const ShaderBakeSettings& settings);

// Where a height map of the mesh file goes: beside it, "<stem>_height.png".
std::string HeightMapPathBeside(const std::string& meshPath);

} // namespace qhost::app
