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
#include "host/app/rock_texture_options.h"
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
  RockTextureOptions texture;
};

// What the options ask for, read and checked before any module is loaded.
struct RockJob
{
  RockBuildJob build;
  RockTextureJob texture;
};

RockJob CheckOptions(const RockOptions& options)
{
  RockJob job;
  job.build = CheckRockBuildOptions(options.build);
  const std::string extension = LowerCaseExtension(options.out);
  if (extension != ".obj" && extension != ".ply" && !IsGltfPath(options.out))
    throw UsageError("--out " + options.out + ": unknown mesh file extension (use .obj, .ply, .glb or .gltf)");
  job.texture = CheckRockTextureOptions(options.texture, options.out, "--out");
  CheckOutputPath(options.out, "--out");
  const std::string heightPath = HeightMapPathFor(job.texture, options.out);
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
  if (job.texture.enabled)
    CheckShaderSettings(job.texture.bake.sets);

  RockScene scene = PrepareRockScene(options.build, job.build, pluginsFolder);
  FlushConsole();

  const auto start = std::chrono::steady_clock::now();
  MeshData mesh;
  {
    ElapsedProgress progress("Building rock");
    mesh = scene.BuildMesh();
  }
  FlushConsole();
  const Image texture = BakeJobTexture(job.texture, *scene.Document(), *scene.Generator(), mesh);
  const std::vector<Vector> normals = scene.CornerNormals(mesh);
  MeshWriteOptions writeOptions;
  writeOptions.baseColorTexture = job.texture.Embedded() ? &texture : nullptr;
  writeOptions.frame = job.build.frame;
  // Every output of the run appears, or none does.
  OutputGroup outputs;
  {
    ElapsedProgress progress("Writing " + options.out);
    WriteMesh(options.out, mesh, normals, writeOptions);
  }
  // A height map is data, not colour: it goes beside the mesh, never into its
  // base colour.
  const std::string heightPath = HeightMapPathFor(job.texture, options.out);
  if (!heightPath.empty())
    WritePng(heightPath, texture);
  if (!options.preview.empty())
    WritePreview(options, mesh, normals, writeOptions.baseColorTexture);
  if (!options.save.empty())
    scene.SaveScene(options.save);
  outputs.Commit();

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char timing[32];
  std::snprintf(timing, sizeof(timing), "%.2f s", seconds);
  std::cout << options.out << ": " << mesh.points.size() << " points, " << mesh.polygons.size() << " polygons, "
            << SizeInMetres(mesh) << ", " << timing << (job.texture.Embedded() ? ", textured" : "") << "\n";
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
  AddRockTextureOptions(cmd, options->texture);
  cmd->callback([argv0, &pluginsOption, options] { RunRock(*options, ResolvePluginsFolder(pluginsOption, argv0)); });
}

} // namespace qhost::app
