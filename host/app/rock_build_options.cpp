#include "host/app/rock_build_options.h"

#include "host/app/app_context.h"
#include "host/app/presets.h"

namespace qhost::app {
namespace {

Int32 PrimitiveType(const std::string& name)
{
  if (name.empty() || name == "cube")
    return Ocube;
  if (name == "sphere")
    return Osphere;
  if (name == "plane")
    return Oplane;
  throw UsageError("--primitive " + name + ": expected cube, sphere or plane");
}

// The document and generator the options start from, before any change.
RockScene StartingScene(const RockBuildOptions& options, const RockBuildJob& job, const std::string& pluginsFolder)
{
  if (options.preset.empty())
  {
    if (!options.scene.empty())
      return RockScene::FromSceneFile(options.scene);
    if (!options.input.empty())
      return RockScene::WithMeshFile(options.input, job.frame);
    return RockScene::WithPrimitive(job.primitive);
  }
  const PresetFile preset = FindPreset(PresetFolders(pluginsFolder), options.preset);
  RockScene look = RockScene::FromSceneFile(preset.path.string());
  if (!options.scene.empty())
  {
    RockScene scene = RockScene::FromSceneFile(options.scene);
    scene.TakeLookOf(look);
    return scene;
  }
  if (!options.input.empty())
    look.ReplaceChild(RockScene::MeshFileObject(options.input, job.frame));
  else if (!options.primitive.empty())
    look.ReplaceChild(BaseObject::Alloc(job.primitive));
  return look;
}

} // namespace

void AddRockBuildOptions(CLI::App* cmd, RockBuildOptions& options)
{
  cmd->add_option("--preset", options.preset,
                  "A named rock (boulder, pebble, ...; `quorvane presets` lists them): its generator, layers and "
                  "material, over its own child or the one --input, --primitive or --scene gives");
  cmd->add_option("--input", options.input, "Mesh file (.obj, .ply, .glb, .gltf) used as the child; default a cube");
  cmd->add_option("--primitive", options.primitive,
                  "The child when there is no --input or --scene: cube (default), sphere or plane");
  cmd->add_option("--scene", options.scene,
                  "Scene file (JSON) to start from; the generator is its first Quorvane Maker");
  AddFileUnitOptions(cmd, options.units, true);
  cmd->add_option("--set", options.sets,
                  "NAME_OR_ID=VALUE for a generator parameter (OXROCK_SEED=7, 2000=5) or a layer parameter "
                  "(layer1.Strength=50 for 50 %, layer2.Noise Type=fBm, layer1.Selection=top), in the units "
                  "`describe` shows; repeatable");
  cmd->add_option("--add-layer", options.addLayers, "Press the add-layer button this many times")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--remove-layer", options.removeLayers, "Press the remove-layer button this many times")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--field", options.fields,
                  "A field weighting the layers: SHAPE,X,Y,Z,INNER,OUTER with SHAPE spherical, linear or box and "
                  "lengths in the --unit (or with m, cm, mm); repeatable");
}

RockBuildJob CheckRockBuildOptions(const RockBuildOptions& options)
{
  RockBuildJob job;
  job.frame = ResolveFileFrame(options.units);
  job.primitive = PrimitiveType(options.primitive);
  if (!options.scene.empty() && !options.input.empty())
    throw UsageError("--scene and --input both give the generator's child; use one");
  if (!options.primitive.empty() && (!options.scene.empty() || !options.input.empty()))
    throw UsageError("--primitive chooses the generator's child; it cannot go with --scene or --input");
  for (const std::string& field : options.fields)
    job.fields.push_back(ParseFieldArgument(field, job.frame.unit));
  for (const std::string& set : options.sets)
    job.assignments.push_back(ParseAssignment(set));
  return job;
}

RockScene PrepareRockScene(const RockBuildOptions& options, const RockBuildJob& job, const std::string& pluginsFolder)
{
  RockScene scene = StartingScene(options, job, pluginsFolder);
  scene.CheckLayerButtonPresses(options.addLayers, options.removeLayers);
  for (int i = 0; i < options.addLayers; ++i)
    scene.AddLayer();
  for (int i = 0; i < options.removeLayers; ++i)
    scene.RemoveLayer();
  for (const FieldArgument& field : job.fields)
    scene.AddField(field);
  AssignmentContext context;
  context.lengthUnit = job.frame.unit;
  for (const Assignment& assignment : job.assignments)
    scene.Assign(assignment, context);
  return scene;
}

} // namespace qhost::app
