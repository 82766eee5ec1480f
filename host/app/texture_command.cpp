#include "host/app/texture_command.h"

#include <iostream>
#include <memory>

#include "host/app/app_context.h"
#include "host/app/parameter_assignment.h"
#include "host/app/progress.h"
#include "host/core/node_factory.h"
#include "host/io/scene_file.h"
#include "host/shading/texture_bake.h"

namespace qhost::app {
namespace {

constexpr Int32 kQuorvaneShaderId = 1065197;
// The shader's output mode parameter and its two values.
constexpr Int32 kQuorvaneMode = 2000;
constexpr Int32 kQuorvaneModeColor = 0;
constexpr Int32 kQuorvaneModeHeight = 1;

struct DocumentDeleter
{
  void operator()(BaseDocument* doc) const { BaseDocument::Free(doc); }
};

// A document with active standard render settings and one material whose
// colour channel shows a new Quorvane shader.
struct TextureScene
{
  std::unique_ptr<BaseDocument, DocumentDeleter> doc;
  BaseMaterial* material = nullptr;
  BaseShader* shader = nullptr;
};

TextureScene MakeScene()
{
  TextureScene scene;
  scene.doc.reset(BaseDocument::Alloc());
  RenderData* rd = RenderData::Alloc();
  scene.material = BaseMaterial::Alloc(Mmaterial);
  if (!scene.doc || !rd || !scene.material)
    throw std::runtime_error("the host could not create the scene");
  rd->GetDataInstance()->SetInt32(RDATA_RENDERENGINE, RDATA_RENDERENGINE_STANDARD);
  scene.doc->InsertRenderData(rd);
  scene.doc->SetActiveRenderData(rd);
  scene.doc->InsertMaterial(scene.material, nullptr);

  scene.shader = BaseShader::Alloc(kQuorvaneShaderId);
  if (!scene.shader)
    throw std::runtime_error("the Quorvane shader (" + std::to_string(kQuorvaneShaderId) +
                             ") is not registered by any loaded module");
  scene.material->InsertShader(scene.shader, nullptr);
  BaseContainer& bc = *scene.material->GetDataInstance();
  bc.SetLink(MATERIAL_COLOR_SHADER, scene.shader);
  bc.SetInt32(MATERIAL_USE_COLOR, 1);
  return scene;
}

// The first Quorvane shader among shader and the shaders after it, depth first.
BaseShader* FindQuorvaneShader(BaseShader* shader)
{
  for (; shader; shader = shader->GetNext())
  {
    if (shader->GetType() == kQuorvaneShaderId)
      return shader;
    if (BaseShader* found = FindQuorvaneShader(shader->GetFirstShader()))
      return found;
  }
  return nullptr;
}

// The file's document with its first material that owns a Quorvane shader.
TextureScene LoadScene(const std::string& path)
{
  TextureScene scene;
  std::string error;
  DocumentPtr doc = LoadSceneFile(path, error);
  if (!doc)
    throw UsageError(error);
  scene.doc.reset(doc.release());
  for (BaseMaterial* mat = scene.doc->GetFirstMaterial(); mat && !scene.shader; mat = mat->GetNext())
  {
    scene.material = mat;
    scene.shader = FindQuorvaneShader(mat->GetFirstShader());
  }
  if (!scene.shader)
    throw UsageError(path + ": no material of the scene holds a Quorvane shader (" +
                     std::to_string(kQuorvaneShaderId) + ")");
  return scene;
}

} // namespace

TextureKind ParseMode(const std::string& mode)
{
  if (mode == "color")
    return TextureKind::Color;
  if (mode == "height")
    return TextureKind::Height;
  throw UsageError("--mode " + mode + ": expected color or height");
}

Image BakeQuorvaneTexture(const TextureOptions& options, TextureKind kind)
{
  TextureScene scene = options.scene.empty() ? MakeScene() : LoadScene(options.scene);
  scene.shader->GetDataInstance()->SetInt32(kQuorvaneMode,
                                            kind == TextureKind::Color ? kQuorvaneModeColor : kQuorvaneModeHeight);
  const DescriptionResource* description = NodeFactory::Instance().FindDescription(kQuorvaneShaderId);
  if (!description && !options.sets.empty())
    throw std::runtime_error("the Quorvane shader has no description to look parameters up in");
  for (const std::string& set : options.sets)
    ApplyAssignment(scene.shader, description->elements, ParseAssignment(set));

  TextureBakeOptions bake;
  bake.width = bake.height = options.size;
  bake.threads = options.threads;
  bake.kind = kind;
  FractionProgress progress("Baking texture");
  bake.progress = [&progress](Float fraction) {
    progress.Update(fraction);
    return true;
  };
  Image image;
  std::string error;
  if (!BakeMaterialChannel(*scene.material, CHANNEL_COLOR, bake, image, error))
    throw std::runtime_error(error);
  if (!options.save.empty() && !SaveSceneFile(options.save, *scene.doc, error))
    throw std::runtime_error(error);
  return image;
}

namespace {

int RunTexture(const TextureOptions& options, const std::string& pluginsFolder)
{
  const TextureKind kind = ParseMode(options.mode);
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);

  const Image image = BakeQuorvaneTexture(options, kind);
  FlushConsole();
  std::string error;
  if (!WritePng(options.out, image, error))
    throw std::runtime_error(error);
  std::cout << "wrote " << options.out << ": " << image.width << "x" << image.height << " "
            << (kind == TextureKind::Color ? "colour, 8-bit sRGB" : "height, 16-bit linear") << "\n";
  Host::Instance().EndModules();
  return 0;
}

} // namespace

void AddTextureCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<TextureOptions>();
  CLI::App* cmd = app.add_subcommand("texture", "Bake the Quorvane shader over UV space into a PNG");
  cmd->add_option("--out", options->out, "Output PNG file")->capture_default_str();
  cmd->add_option("--size", options->size, "Width and height in pixels")
      ->capture_default_str()
      ->check(CLI::Range(1, kMaxImageSide));
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
