#include "host/app/asset_command.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <iostream>

#include "host/app/app_context.h"
#include "host/app/output_check.h"
#include "host/app/progress.h"
#include "host/app/rock_asset.h"
#include "host/app/rock_build_options.h"
#include "host/app/rock_texture.h"
#include "host/io/asset_gltf.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"
#include "host/io/atomic_file.h"
#include "host/preview/level_comparison.h"

namespace qhost::app {
namespace {

struct AssetOptions
{
  RockBuildOptions build;
  std::string out = "asset.glb";
  std::vector<double> lodPercents{std::begin(kDefaultLodFractions), std::end(kDefaultLodFractions)};
  bool split = false;
  int mapSize = 1024;
  bool mapsOut = false;
  std::vector<std::string> shaderSets;
  std::string compare;
};

// What the options ask for, checked before any module is loaded.
struct AssetJob
{
  RockBuildJob build;
  std::vector<double> fractions;
  std::vector<std::string> splitPaths; // one per level with --split
  // With --maps-out: where the PNG maps go.
  std::string baseColorPath;
  std::string packedPath;
  std::vector<std::string> normalPaths; // one per level after the first
};

// "<stem><suffix>" beside path.
std::string PathBeside(const std::string& path, const std::string& suffix)
{
  std::filesystem::path result(path);
  result.replace_filename(result.stem().string() + suffix);
  return result.string();
}

AssetJob CheckOptions(const AssetOptions& options)
{
  AssetJob job;
  job.build = CheckRockBuildOptions(options.build);
  if (!options.compare.empty() && options.lodPercents.empty())
    throw UsageError("--compare needs at least one level after LOD0 (--lods)");
  if (LowerCaseExtension(options.out) != ".glb")
    throw UsageError("--out " + options.out + ": an asset is written as one .glb file");
  CheckOutputPath(options.out, "--out");
  double previous = 100.0;
  for (const double percent : options.lodPercents)
  {
    if (!(percent > 0.0 && percent < previous))
      throw UsageError("--lods: each level needs fewer triangles than the one before, between 0 and 100 %");
    job.fractions.push_back(percent / 100.0);
    previous = percent;
  }
  if (options.split)
    for (std::size_t level = 0; level <= job.fractions.size(); ++level)
    {
      job.splitPaths.push_back(PathBeside(options.out, "_LOD" + std::to_string(level) + ".glb"));
      CheckOutputPath(job.splitPaths.back(), "--split");
    }
  if (!options.compare.empty())
    CheckOutputPath(options.compare, "--compare");
  if (options.mapsOut)
  {
    job.baseColorPath = PathBeside(options.out, "_basecolor.png");
    job.packedPath = PathBeside(options.out, "_orm.png");
    for (std::size_t level = 1; level <= job.fractions.size(); ++level)
      job.normalPaths.push_back(PathBeside(options.out, "_normal_LOD" + std::to_string(level) + ".png"));
    for (const std::string& path : {job.baseColorPath, job.packedPath})
      CheckOutputPath(path, "--maps-out");
    for (const std::string& path : job.normalPaths)
      CheckOutputPath(path, "--maps-out");
  }
  std::vector<NamedOutput> outputs = {
    {"--out", options.out}, {"--maps-out", job.baseColorPath}, {"--maps-out", job.packedPath}};
  for (const std::string& path : job.splitPaths)
    outputs.push_back({"--split", path});
  for (const std::string& path : job.normalPaths)
    outputs.push_back({"--maps-out", path});
  outputs.push_back({"--compare", options.compare});
  CheckDistinctOutputs(outputs);
  return job;
}

// Width and height of each view of --compare's picture.
constexpr Int32 kCompareViewSize = 320;

void WriteMapFiles(const AssetJob& job, const AssetPngs& images)
{
  WriteFileAtomically(job.baseColorPath, images.baseColor);
  WriteFileAtomically(job.packedPath, images.occlusionRoughnessMetalness);
  for (std::size_t i = 0; i < job.normalPaths.size(); ++i)
    WriteFileAtomically(job.normalPaths[i], images.normals[i]);
}

void RunAsset(const AssetOptions& options, const std::string& pluginsFolder)
{
  const AssetJob job = CheckOptions(options);
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);
  CheckShaderSettings(options.shaderSets);
  RockScene scene = PrepareRockScene(options.build, job.build, pluginsFolder);
  FlushConsole();

  MeshData rock;
  {
    ElapsedProgress progress("Building rock");
    rock = scene.BuildMesh();
  }
  FlushConsole();
  const std::vector<Vector> normals = scene.CornerNormals(rock);
  AssetSettings settings;
  settings.fractions = job.fractions;
  settings.mapSize = options.mapSize;
  settings.shaderSets = options.shaderSets;
  AssetShading shading;
  {
    ElapsedProgress progress("Baking colour and height");
    shading = BakeAssetShading(scene, rock, settings);
  }
  FlushConsole();
  const RockAsset asset = MakeRockAsset(rock, normals, std::move(shading), settings, [](const std::string& step) {
    return std::make_shared<ElapsedProgress>(step);
  });
  const std::vector<TriangleMesh>& levels = asset.levels;
  const std::vector<AssetLevel> assetLevels = asset.Levels();
  const AssetMaps maps = asset.Maps();
  const std::string name = std::filesystem::path(options.out).stem().string();
  OutputGroup outputs;
  {
    ElapsedProgress progress("Writing " + options.out);
    WriteAssetGlb(options.out, assetLevels, maps, name);
    for (std::size_t i = 0; i < job.splitPaths.size(); ++i)
      WriteAssetGlb(job.splitPaths[i], std::span(assetLevels).subspan(i, 1), maps, name + "_LOD" + std::to_string(i));
    if (options.mapsOut)
      WriteMapFiles(job, asset.pngs);
  }
  std::optional<LevelShadingComparison> comparison;
  if (!options.compare.empty())
  {
    ElapsedProgress progress("Comparing the lightest level with LOD0");
    comparison = CompareLevelShading(levels.front(), levels.back(), asset.images.normals.back(),
                                     asset.images.occlusionRoughnessMetalness, kCompareViewSize);
    WritePng(options.compare, comparison->picture);
  }
  outputs.Commit();

  for (std::size_t i = 0; i < levels.size(); ++i)
    std::cout << "LOD" << i << ": " << levels[i].TriangleCount() << " triangles, " << levels[i].VertexCount()
              << " vertices\n";
  std::cout << "wrote " << options.out << "\n";
  for (const std::string& path : job.splitPaths)
    std::cout << "wrote " << path << "\n";
  if (options.mapsOut)
    std::cout << "wrote " << job.baseColorPath << ", " << job.packedPath << " and " << job.normalPaths.size()
              << " normal maps, " << options.mapSize << "x" << options.mapSize << "\n";
  if (comparison)
  {
    char line[160];
    std::snprintf(line, sizeof(line),
                  "LOD%zu against LOD0, mean difference over six views: %.2f grey levels with its maps, %.2f without\n",
                  levels.size() - 1, comparison->withMaps, comparison->withoutMaps);
    std::cout << line << "wrote " << options.compare << "\n";
  }
}

} // namespace

void AddAssetCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<AssetOptions>();
  for (double& percent : options->lodPercents)
    percent *= 100.0;
  CLI::App* cmd = app.add_subcommand(
    "asset", "Build a rock and write a game asset: levels of detail and baked maps in one GLB");
  AddRockBuildOptions(cmd, options->build);
  cmd->add_option("--out", options->out, "Output GLB file")->capture_default_str();
  cmd->add_option("--lods", options->lodPercents,
                  "Triangle counts of the levels after the full mesh, in percent of its triangles, each fewer "
                  "than the one before")
      ->delimiter(',')
      ->capture_default_str();
  cmd->add_flag("--split", options->split, "Also write every level as a GLB of its own, NAME_LODk.glb beside --out");
  cmd->add_option("--map-size", options->mapSize, "Width and height of the baked maps")
      ->capture_default_str()
      ->check(CLI::Range(16, kMaxSquareImageSide));
  cmd->add_flag("--maps-out", options->mapsOut,
                "Also write the maps as PNG beside --out: NAME_basecolor.png, NAME_orm.png (occlusion, roughness, "
                "metalness) and NAME_normal_LODk.png");
  cmd->add_option("--compare", options->compare,
                  "Render LOD0 and the lightest level with and without its maps from six views into this PNG "
                  "(rows in that order) and print how far each differs from LOD0");
  cmd->add_option("--texture-set", options->shaderSets,
                  "NAME_OR_ID=VALUE for the shader the colour and roughness come from, as for rock; repeatable");
  cmd->callback([argv0, &pluginsOption, options] { RunAsset(*options, ResolvePluginsFolder(pluginsOption, argv0)); });
}

} // namespace qhost::app
