// The texture options `rock` and `batch` share: whether the rock's material is
// baked over its UVs, as colour (the glTF file's base colour) or height (a
// 16-bit PNG beside the mesh), at what size, by which projection and with
// which shader settings.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "host/app/quorvane_material.h"
#include "host/geometry/mesh_data.h"
#include "host/shading/texture_projection.h"

namespace qhost::app {

struct RockTextureOptions
{
  bool enabled = false;
  std::string mode = "color";
  std::string projection; // empty: the texture tag's, else solid
  ShaderBakeSettings bake;
};

// What the options ask for, read before any module is loaded.
struct RockTextureJob
{
  bool enabled = false;
  std::optional<TextureProjection> projection;
  ShaderBakeSettings bake; // with the kind the mode names

  bool Embedded() const { return enabled && bake.kind == TextureKind::Color; }
  bool HeightMap() const { return enabled && bake.kind != TextureKind::Color; }
};

// --texture and the options that mean nothing without it.
void AddRockTextureOptions(CLI::App* command, RockTextureOptions& options);

// Throws UsageError for a bad mode or projection, or a colour texture asked
// for a mesh file that cannot hold it; meshOption names where meshPath came
// from (--out, --name) for the message.
RockTextureJob CheckRockTextureOptions(const RockTextureOptions& options, const std::string& meshPath,
                                       const std::string& meshOption);

// The texture the job asks for, baked over the built mesh (see
// BakeRockTexture); an empty image when it asks for none.
Image BakeJobTexture(const RockTextureJob& job, BaseDocument& doc, BaseObject& generator, const MeshData& mesh);

// Where the job's height map of the mesh file goes; "" when it writes none.
std::string HeightMapPathFor(const RockTextureJob& job, const std::string& meshPath);

} // namespace qhost::app
