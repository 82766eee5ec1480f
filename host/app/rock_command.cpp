#include "host/app/rock_command.h"

#include <iostream>

#include "host/app/app_context.h"
#include "host/app/file_units.h"
#include "host/app/parameter_assignment.h"
#include "host/app/progress.h"
#include "host/app/rock_scene.h"
#include "host/app/rock_texture.h"
#include "host/app/texture_command.h"
#include "host/io/mesh_file.h"
#include "host/preview/mesh_preview.h"

namespace qhost::app {
namespace {

struct RockOptions
{
  std::string input;
  std::string scene;
  std::string save;
  std::string out = "rock.glb";
  std::vector<std::string> sets;
  std::vector<std::string> fields;
  int addLayers = 0;
  int removeLayers = 0;
  std::string preview;
  int previewSize = 640;
  bool texture = false;
  std::string textureMode = "color";
  std::string projection; // empty: the texture tag's, else solid
  ShaderBakeSettings textureBake;
  FileUnitOptions units;
};

void WritePreview(const RockOptions& options, const MeshData& mesh, std::span<const Vector> normals,
                  const Image* texture)
{
  PreviewOptions preview;
  preview.width = options.previewSize;
  preview.height = options.previewSize * 3 / 4;
  preview.texture = texture;
  Image picture;
  std::string error;
  if (!RenderMeshPreview(mesh, normals, preview, picture, error) || !WritePng(options.preview, picture, error))
    throw std::runtime_error(options.preview + ": " + error);
  std::cout << "wrote " << options.preview << "\n";
}

int RunRock(const RockOptions& options, const std::string& pluginsFolder)
{
  const MeshFileFrame frame = ResolveFileFrame(options.units);
  const std::string extension = LowerCaseExtension(options.out);
  const TextureKind textureKind = ParseTextureKind("--texture-mode", options.textureMode);
  const std::optional<TextureProjection> projection = ParseProjection(options.projection);
  const bool colorTexture = options.texture && textureKind == TextureKind::Color;
  if (colorTexture && extension != ".glb" && extension != ".gltf")
    throw UsageError("--texture embeds the texture as the glTF base colour: write a .glb or .gltf file");
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);

  if (!options.scene.empty() && !options.input.empty())
    throw UsageError("--scene and --input both give the generator's child; use one");
  RockScene scene = !options.scene.empty()  ? RockScene::FromSceneFile(options.scene)
                    : options.input.empty() ? RockScene::WithCube()
                                            : RockScene::WithMeshFile(options.input, frame);
  for (int i = 0; i < options.addLayers; ++i)
    scene.PressGeneratorButton(kAddLayerButton);
  for (int i = 0; i < options.removeLayers; ++i)
    scene.PressGeneratorButton(kRemoveLayerButton);
  for (const std::string& field : options.fields)
    scene.AddField(ParseFieldSpec(field));
  for (const std::string& set : options.sets)
    scene.Assign(ParseAssignment(set));

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
    bake.kind = textureKind;
    texture = BakeRockTexture(*scene.Document(), *scene.Generator(), mesh, projection, bake);
    FlushConsole();
  }
  const std::vector<Vector> normals = scene.CornerNormals(mesh);
  MeshWriteOptions writeOptions;
  writeOptions.baseColorTexture = colorTexture ? &texture : nullptr;
  writeOptions.frame = frame;
  std::string error;
  if (!WriteMesh(options.out, mesh, normals, writeOptions, error))
    throw std::runtime_error(error);
  std::cout << "wrote " << options.out << ": " << mesh.points.size() << " points, " << mesh.polygons.size()
            << " polygons" << (colorTexture ? ", textured" : "") << "\n";
  // A height map is data, not colour: it goes beside the mesh, never into its
  // base colour.
  if (options.texture && !colorTexture)
  {
    const std::string heightPath = HeightMapPathBeside(options.out);
    if (!WritePng(heightPath, texture, error))
      throw std::runtime_error(error);
    std::cout << "wrote " << heightPath << ": " << texture.width << "x" << texture.height
              << " height, 16-bit linear\n";
  }
  if (!options.preview.empty())
    WritePreview(options, mesh, normals, colorTexture ? &texture : nullptr);
  if (!options.save.empty())
  {
    scene.SaveScene(options.save);
    std::cout << "wrote " << options.save << "\n";
  }
  return 0;
}

} // namespace

void AddRockCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<RockOptions>();
  CLI::App* cmd = app.add_subcommand("rock", "Build a rock and write it as OBJ, PLY or glTF (.glb/.gltf)");
  cmd->add_option("--input", options->input, "Mesh file (.obj, .ply, .glb, .gltf) used as the child; default a cube");
  cmd->add_option("--scene", options->scene,
                  "Scene file (JSON) to start from; the generator is its first Quorvane Maker");
  cmd->add_option("--save", options->save, "Write the scene (JSON) after the build");
  cmd->add_option("--out", options->out, "Output mesh file; the extension picks the format")->capture_default_str();
  AddFileUnitOptions(cmd, options->units, true);
  cmd->add_option("--set", options->sets,
                  "NAME_OR_ID=VALUE for a generator parameter (OXROCK_SEED=7, 2000=5) or a layer parameter "
                  "(layer1.OXROCK_LAYER_STRENGTH=150%, layer2.Noise Type=fBm); repeatable");
  cmd->add_option("--add-layer", options->addLayers, "Press the add-layer button this many times");
  cmd->add_option("--remove-layer", options->removeLayers, "Press the remove-layer button this many times");
  cmd->add_option("--field", options->fields,
                  "A field weighting the layers: SHAPE,X,Y,Z,INNER,OUTER with SHAPE spherical, linear or box; "
                  "repeatable");
  cmd->add_option("--preview", options->preview, "Also write a shaded picture of the rock (PNG)");
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
      ->check(CLI::Range(1, 8192))
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
  cmd->callback([argv0, &pluginsOption, options] {
    const int code = RunRock(*options, ResolvePluginsFolder(pluginsOption, argv0));
    if (code != 0)
      throw CLI::RuntimeError(code);
  });
}

} // namespace qhost::app
