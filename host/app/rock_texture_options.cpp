#include "host/app/rock_texture_options.h"

#include "host/app/app_context.h"
#include "host/app/rock_texture.h"
#include "host/app/texture_command.h"
#include "host/io/mesh_file.h"
#include "host/core/image.h"

namespace qhost::app {

void AddRockTextureOptions(CLI::App* command, RockTextureOptions& options)
{
  CLI::Option* texture = command->add_flag(
      "--texture", options.enabled,
      "Bake the scene's Quorvane material (or a new one) over the rock's UVs: a colour texture is "
      "embedded as the glTF base colour, a height map written beside the mesh as NAME_height.png");
  // The texture's settings mean nothing without a texture: asking for them
  // alone is a mistake worth telling, not something to ignore.
  command->add_option("--texture-size", options.bake.size, "Size of the baked texture")
      ->capture_default_str()
      ->check(CLI::Range(1, kMaxSquareImageSide))
      ->needs(texture);
  command->add_option("--texture-mode", options.mode, "color or height")->capture_default_str()->needs(texture);
  command
      ->add_option("--projection", options.projection,
                   "How the texture finds its pattern: solid (the surface point, seamless) or uv; default: the "
                   "generator's texture tag from --scene, else solid")
      ->needs(texture);
  command
      ->add_option("--texture-set", options.bake.sets,
                   "NAME_OR_ID=VALUE for the shader (XQUORVANE_COLOR_GRADIENT=0:#3a3530,0.6:#8a8070,1:#d8d0c0); "
                   "repeatable")
      ->needs(texture);
}

RockTextureJob CheckRockTextureOptions(const RockTextureOptions& options, const std::string& meshPath,
                                       const std::string& meshOption)
{
  RockTextureJob job;
  job.enabled = options.enabled;
  job.bake = options.bake;
  job.bake.kind = ParseTextureKind("--texture-mode", options.mode);
  job.projection = ParseProjection(options.projection);
  if (job.Embedded() && !IsGltfPath(meshPath))
    throw UsageError("--texture embeds the texture as the glTF base colour: " + meshOption + " " + meshPath +
                     " is not a .glb or .gltf file");
  return job;
}

Image BakeJobTexture(const RockTextureJob& job, BaseDocument& doc, BaseObject& generator, const MeshData& mesh)
{
  if (!job.enabled)
    return {};
  Image texture = BakeRockTexture(doc, generator, mesh, job.projection, job.bake);
  FlushConsole();
  return texture;
}

std::string HeightMapPathFor(const RockTextureJob& job, const std::string& meshPath)
{
  return job.HeightMap() ? HeightMapPathBeside(meshPath) : "";
}

} // namespace qhost::app
