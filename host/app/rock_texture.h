// The texture of `quorvane rock --texture`: the rock's material baked over the
// built mesh's UV layout, its texture positions found by the projection of the
// generator's texture tag.
#pragma once

#include <optional>
#include <string>

#include "host/app/quorvane_material.h"
#include "host/geometry/mesh_data.h"
#include "host/shading/texture_projection.h"

namespace qhost::app {

// "uv" or "solid", nothing for ""; throws UsageError naming --projection.
std::optional<TextureProjection> ParseProjection(const std::string& text);

// Bakes the rock's material over the mesh's UVs. The material is the one the
// generator's texture tag shows when it holds a Quorvane shader, else the
// document's first material holding one, else a new one; the projection is
// the one asked for, else the tag's, else solid. The tag (made when missing)
// is left pointing at that material with that projection, so a saved scene
// bakes the same texture again.
// With the solid projection every texel samples the surface point it shows,
// in the frame SolidFrame fits to the mesh, so the colour runs on across UV
// seams; with the UV projection it samples its own (u, v, 0). Throws
// UsageError for bad settings or a mesh without UVs, std::runtime_error when
// the bake fails.
Image BakeRockTexture(BaseDocument& doc, BaseObject& generator, const MeshData& mesh,
                      std::optional<TextureProjection> projection, const ShaderBakeSettings& settings);

// Where a height map of the mesh file goes: beside it, "<stem>_height.png".
std::string HeightMapPathBeside(const std::string& meshPath);

} // namespace qhost::app
