#include "host/app/texture_command.h"

#include <iostream>
#include <memory>

#include "host/app/app_context.h"
#include "host/app/quorvane_material.h"
#include "host/app/output_check.h"
#include "host/io/atomic_file.h"
#include "host/io/scene_file.h"

namespace qhost::app {
namespace {

struct DocumentDeleter
{
  void operator()(BaseDocument* doc) const { BaseDocument::Free(doc); }
};

// A document and the material of it that the bake shows.
struct TextureScene
{
  std::unique_ptr<BaseDocument, DocumentDeleter> doc;
  QuorvaneMaterial target;
};

// A document with active standard render settings and one material whose
// colour channel shows a new Quorvane shader.
TextureScene MakeScene()
{
  TextureScene scene;
  scene.doc.reset(BaseDocument::Alloc());
  if (!scene.doc)
    throw std::runtime_error("the host could not create the scene");
  RenderData* rd = RenderData::Alloc();
  if (!rd)
    throw std::runtime_error("the host could not create the render settings");
  rd->GetDataInstance()->SetInt32(RDATA_RENDERENGINE, RDATA_RENDERENGINE_STANDARD);
  scene.doc->InsertRenderData(rd);
  scene.doc->SetActiveRenderData(rd);
  scene.target = AddQuorvaneMaterial(*scene.doc);
  return scene;
}

// The file's document with its first material that owns a Quorvane shader.
TextureScene LoadScene(const std::string& path)
{
  TextureScene scene;
  scene.doc.reset(LoadSceneFile(path).release());
  scene.target = FindQuorvaneMaterial(*scene.doc);
  if (!scene.target.shader)
    throw UsageError(path + ": no material of the scene holds a Quorvane shader");
  return scene;
}

// The options' material baked over the UV square; the scene is gone when this
// returns.
Image BakeQuorvaneTexture(const TextureOptions& options, TextureKind kind)
{
  TextureScene scene = options.scene.empty() ? MakeScene() : LoadScene(options.scene);
  const Image image = BakeQuorvaneMaterial(scene.target, {options.size, kind, options.sets, options.threads});
  if (!options.save.empty())
    SaveSceneFile(options.save, *scene.doc);
  return image;
}

int RunTexture(const TextureOptions& options, const std::string& pluginsFolder)
{
  const TextureKind kind = ParseTextureKind("--mode", options.mode);
  CheckOutputPath(options.out, "--out");
  if (!options.save.empty())
    CheckOutputPath(options.save, "--save");
  CheckDistinctOutputs({{"--out", options.out}, {"--save", options.save}});
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);

  // The picture and the saved scene appear together, or neither does.
  OutputGroup outputs;
  const Image image = BakeQuorvaneTexture(options, kind);
  FlushConsole();
  WritePng(options.out, image);
  outputs.Commit();
  std::cout << "wrote " << options.out << ": " << image.width << "x" << image.height << " "
            << (kind == TextureKind::Color ? "colour, 8-bit sRGB" : "height, 16-bit linear") << "\n";
  Host::Instance().EndModules();
  return 0;
}

} // namespace

TextureKind ParseTextureKind(const std::string& option, const std::string& mode)
{
  if (mode == "color")
    return TextureKind::Color;
  if (mode == "height")
    return TextureKind::Height;
  throw UsageError(option + " " + mode + ": expected color or height");
}

void AddTextureCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<TextureOptions>();
  CLI::App* cmd = app.add_subcommand("texture", "Bake the Quorvane shader over UV space into a PNG");
  cmd->add_option("--out", options->out, "Output PNG file")->capture_default_str();
  cmd->add_option("--size", options->size, "Width and height in pixels")
      ->capture_default_str()
      ->check(CLI::Range(1, kMaxSquareImageSide));
  cmd->add_option("--mode", options->mode, "color (8-bit sRGB) or height (16-bit linear)")->capture_default_str();
  cmd->add_option("--set", options->sets,
                  "NAME_OR_ID=VALUE for a shader parameter (XQUORVANE_CELL_SCALE=6, 5004=3); repeatable");
  cmd->add_option("--scene", options->scene,
                  "Scene file (JSON) to bake from: its first material holding a Quorvane shader");
  cmd->add_option("--save", options->save, "Write the scene (JSON) after the bake");
  cmd->add_option("--threads", options->threads, "Worker threads (default: one per core)")->check(CLI::NonNegativeNumber);
  cmd->callback([argv0, &pluginsOption, options] {
    const int code = RunTexture(*options, ResolvePluginsFolder(pluginsOption, argv0));
    if (code != 0)
      throw CLI::RuntimeError(code);
  });
}

} // namespace qhost::app
