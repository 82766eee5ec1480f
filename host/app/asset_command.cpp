#include "host/app/asset_command.h"

#include <cmath>
#include <filesystem>
#include <iostream>

#include "host/app/app_context.h"
#include "host/app/output_check.h"
#include "host/app/progress.h"
#include "host/app/rock_build_options.h"
#include "host/io/asset_gltf.h"
#include "host/io/mesh_file.h"
#include "host/io/atomic_file.h"
#include "host/lod/lod_chain.h"
#include "host/lod/polygon_triangles.h"

namespace qhost::app {
namespace {

struct AssetOptions
{
  RockBuildOptions build;
  std::string out = "asset.glb";
  std::vector<double> lodPercents{std::begin(kDefaultLodFractions), std::end(kDefaultLodFractions)};
  bool split = false;
};

// What the options ask for, checked before any module is loaded.
struct AssetJob
{
  RockBuildJob build;
  std::vector<double> fractions;
  std::vector<std::string> splitPaths; // one per level with --split
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
  return job;
}

// A level whose triangles fill as much of the screen as the full mesh's do at
// half the screen: each level's share of the triangles, halved.
double ScreenCoverage(const TriangleMesh& level, const TriangleMesh& full)
{
  return 0.5 * double(level.TriangleCount()) / double(full.TriangleCount());
}

void RunAsset(const AssetOptions& options, const std::string& pluginsFolder)
{
  const AssetJob job = CheckOptions(options);
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);
  RockScene scene = PrepareRockScene(options.build, job.build);
  FlushConsole();

  MeshData rock;
  {
    ElapsedProgress progress("Building rock");
    rock = scene.BuildMesh();
  }
  FlushConsole();
  if (!rock.HasUVs())
    throw UsageError("the rock has no UVs; an asset's levels and maps need a UV layout");
  std::vector<TriangleMesh> levels;
  {
    ElapsedProgress progress("Simplifying " + std::to_string(job.fractions.size()) + " levels of detail");
    levels = BuildLodChain(TrianglesOfPolygons(rock, scene.CornerNormals(rock)), job.fractions);
  }

  std::vector<AssetLevel> assetLevels(levels.size());
  for (std::size_t i = 0; i < levels.size(); ++i)
  {
    assetLevels[i].mesh = &levels[i];
    assetLevels[i].screenCoverage = ScreenCoverage(levels[i], levels.front());
  }
  const AssetMaps maps;
  const std::string name = std::filesystem::path(options.out).stem().string();
  OutputGroup outputs;
  std::string error;
  {
    ElapsedProgress progress("Writing " + options.out);
    if (!WriteAssetGlb(options.out, assetLevels, maps, name, error))
      throw std::runtime_error(error);
    for (std::size_t i = 0; i < job.splitPaths.size(); ++i)
      if (!WriteAssetGlb(job.splitPaths[i], std::span(assetLevels).subspan(i, 1), maps,
                         name + "_LOD" + std::to_string(i), error))
        throw std::runtime_error(error);
  }
  outputs.Commit();

  for (std::size_t i = 0; i < levels.size(); ++i)
    std::cout << "LOD" << i << ": " << levels[i].TriangleCount() << " triangles, " << levels[i].VertexCount()
              << " vertices\n";
  std::cout << "wrote " << options.out << "\n";
  for (const std::string& path : job.splitPaths)
    std::cout << "wrote " << path << "\n";
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
  cmd->callback([argv0, &pluginsOption, options] { RunAsset(*options, ResolvePluginsFolder(pluginsOption, argv0)); });
}

} // namespace qhost::app
