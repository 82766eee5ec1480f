#include "host/app/rock_command.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>

#include "host/app/app_context.h"
#include "host/app/file_units.h"
#include "host/app/mesh_size.h"
#include "host/app/output_check.h"
#include "host/app/parameter_assignment.h"
#include "host/app/progress.h"
#include "host/app/rock_build_options.h"
#include "host/app/rock_scene.h"
#include "host/app/rock_texture.h"
#include "host/app/texture_command.h"
#include "host/io/atomic_file.h"
#include "host/io/mesh_file.h"
#include "host/preview/mesh_preview.h"

namespace qhost::app {
namespace {

struct RockOptions
{
  RockBuildOptions build;
  std::string save;
  std::string out = "rock.glb";
  std::string preview;
  int previewSize = 640;
  std::string previewView = "front";
  bool texture = false;
  std::string textureMode = "color";
  std::string projection; // empty: the texture tag's, else solid
  ShaderBakeSettings textureBake;
};

// What the options ask for, read and checked before any module is loaded.
struct RockJob
{
  RockBuildJob build;
  TextureKind textureKind = TextureKind::Color;
  std::optional<TextureProjection> projection;
  bool colorTexture = false;
};

RockJob CheckOptions(const RockOptions& options)
{
  RockJob job;
  job.build = CheckRockBuildOptions(options.build);
  job.textureKind = ParseTextureKind("--texture-mode", options.textureMode);
  job.projection = ParseProjection(options.projection);
  job.colorTexture = options.texture && job.textureKind == TextureKind::Color;
  const std::string extension = LowerCaseExtension(options.out);
  if (extension != ".obj" && extension != ".ply" && !IsGltfPath(options.out))
    throw UsageError("--out " + options.out + ": unknown mesh file extension (use .obj, .ply, .glb or .gltf)");
  if (job.colorTexture && !IsGltfPath(options.out))
    throw UsageError("--texture embeds the texture as the glTF base colour: write a .glb or .gltf file");
  CheckOutputPath(options.out, "--out");
  const std::string heightPath = options.texture && !job.colorTexture ? HeightMapPathBeside(options.out) : "";
  if (!heightPath.empty())
    CheckOutputPath(heightPath, "--texture-mode height");
  if (!options.preview.empty())
    CheckOutputPath(options.preview, "--preview");
  if (!options.save.empty())
    CheckOutputPath(options.save, "--save");
  CheckDistinctOutputs({{"--out", options.out},
                        {"--texture-mode height", heightPath},
                        {"--preview", options.preview},
                        {"--save", options.save}});
  return job;
}

void WritePreview(const RockOptions& options, const MeshData& mesh, std::span<const Vector> normals,
                  const Image* texture)
{
  PreviewOptions preview;
  preview.width = options.previewSize;
  preview.height = options.previewSize * 3 / 4;
  preview.texture = texture;
  const std::map<std::string, PreviewView> views = {
      {"front", PreviewView::FrontRight}, {"back", PreviewView::BackLeft}, {"top", PreviewView::Top}};
  if (options.previewView == "all")
    return WritePng(options.preview, RenderMeshViewStrip(mesh, normals, preview));
  preview.view = views.at(options.previewView);
  WritePng(options.preview, RenderMeshPreview(mesh, normals, preview));
}

void RunRock(const RockOptions& options, const std::string& pluginsFolder)
{
  const RockJob job = CheckOptions(options);
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);
  if (options.texture)
    CheckShaderSettings(options.textureBake.sets);

  RockScene scene = PrepareRockScene(options.build, job.build, pluginsFolder);
  FlushConsole();

  const auto start = std::chrono::steady_clock::now();
  MeshData mesh;
  {
    ElapsedProgress progress("Building rock");
    mesh = scene.BuildMesh();
  }
  FlushConsole();
  Image texture;
  if (options.texture)
  {
    ShaderBakeSettings bake = options.textureBake;
    bake.kind = job.textureKind;
    texture = BakeRockTexture(*scene.Document(), *scene.Generator(), mesh, job.projection, bake);
    FlushConsole();
  }
  const std::vector<Vector> normals = scene.CornerNormals(mesh);
  MeshWriteOptions writeOptions;
  writeOptions.baseColorTexture = job.colorTexture ? &texture : nullptr;
  writeOptions.frame = job.build.frame;
  // Every output of the run appears, or none does.
  OutputGroup outputs;
  {
    ElapsedProgress progress("Writing " + options.out);
    WriteMesh(options.out, mesh, normals, writeOptions);
  }
  // A height map is data, not colour: it goes beside the mesh, never into its
  // base colour.
  const std::string heightPath = options.texture && !job.colorTexture ? HeightMapPathBeside(options.out) : "";
  if (!heightPath.empty())
    WritePng(heightPath, texture);
  if (!options.preview.empty())
    WritePreview(options, mesh, normals, job.colorTexture ? &texture : nullptr);
  if (!options.save.empty())
    scene.SaveScene(options.save);
  outputs.Commit();

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char timing[32];
  std::snprintf(timing, sizeof(timing), "%.2f s", seconds);
  std::cout << options.out << ": " << mesh.points.size() << " points, " << mesh.polygons.size() << " polygons, "
            << SizeInMetres(mesh) << ", " << timing << (job.colorTexture ? ", textured" : "") << "\n";
  if (!heightPath.empty())
    std::cout << "wrote " << heightPath << ": " << texture.width << "x" << texture.height << " height, 16-bit linear\n";
  if (!options.preview.empty())
    std::cout << "wrote " << options.preview << "\n";
  if (!options.save.empty())
    std::cout << "wrote " << options.save << "\n";
}

} // namespace

void AddRockCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<RockOptions>();
  CLI::App* cmd = app.add_subcommand("rock", "Build a rock and write it as OBJ, PLY or glTF (.glb/.gltf)");
  AddRockBuildOptions(cmd, options->build);
  cmd->add_option("--save", options->save, "Write the scene (JSON) after the build");
  cmd->add_option("--out", options->out, "Output mesh file; the extension picks the format")->capture_default_str();
  cmd->add_option("--preview", options->preview, "Also write a shaded picture of the rock (PNG)");
  cmd->add_option("--preview-view", options->previewView,
                  "Where the picture looks from: front, back, top, or all three side by side")
      ->capture_default_str()
      ->check(CLI::IsMember({"front", "back", "top", "all"}));
  cmd->add_option("--preview-size", options->previewSize, "Width of the picture in pixels")
      ->capture_default_str()
      ->check(CLI::Range(16, 4096));
  CLI::Option* texture = cmd->add_flag("--texture", options->texture,
                "Bake the scene's Quorvane material (or a new one) over the rock's UVs: a colour texture is "
                "embedded as the glTF base colour, a height map written beside the mesh as NAME_height.png");
  // The texture's settings mean nothing without a texture: asking for them
  // alone is a mistake worth telling, not something to ignore.
  cmd->add_option("--texture-size", options->textureBake.size, "Size of the baked texture")
      ->capture_default_str()
      ->check(CLI::Range(1, kMaxSquareImageSide))
      ->needs(texture);
  cmd->add_option("--texture-mode", options->textureMode, "color or height")->capture_default_str()->needs(texture);
  cmd->add_option("--projection", options->projection,
                  "How the texture finds its pattern: solid (the surface point, seamless) or uv; default: the "
                  "generator's texture tag from --scene, else solid")
      ->needs(texture);
  cmd->add_option("--texture-set", options->textureBake.sets,
                  "NAME_OR_ID=VALUE for the shader (XQUORVANE_COLOR_GRADIENT=0:#3a3530,0.6:#8a8070,1:#d8d0c0); "
                  "repeatable")
      ->needs(texture);
  cmd->callback([argv0, &pluginsOption, options] { RunRock(*options, ResolvePluginsFolder(pluginsOption, argv0)); });
}

} // namespace qhost::app
