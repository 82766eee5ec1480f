#include "host/app/asset_command.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <iostream>
#include <tbb/parallel_for.h>

#include "host/app/app_context.h"
#include "host/app/output_check.h"
#include "host/app/progress.h"
#include "host/app/rock_build_options.h"
#include "host/app/rock_texture.h"
#include "host/bake/packed_maps.h"
#include "host/bake/surface_bake.h"
#include "host/geometry/vertex_tangents.h"
#include "host/io/asset_gltf.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"
#include "host/io/atomic_file.h"
#include "host/lod/lod_chain.h"
#include "host/lod/polygon_triangles.h"
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

// The maps of an asset: colour and packed occlusion/roughness/metalness
// shared by every level, a normal map for each level after the first.
struct AssetImages
{
  Image baseColor;
  Image occlusionRoughnessMetalness;
  std::vector<Image> normals;
};

// The same maps as PNG files in memory, encoded once for the GLB and the
// map files alike.
struct AssetPngs
{
  std::vector<std::uint8_t> baseColor;
  std::vector<std::uint8_t> occlusionRoughnessMetalness;
  std::vector<std::vector<std::uint8_t>> normals;
};

// Encodes every map, all at once on the cores there are.
AssetPngs EncodeMaps(const AssetImages& images)
{
  AssetPngs pngs;
  pngs.normals.resize(images.normals.size());
  std::vector<std::pair<const Image*, std::vector<std::uint8_t>*>> work = {
    {&images.baseColor, &pngs.baseColor}, {&images.occlusionRoughnessMetalness, &pngs.occlusionRoughnessMetalness}};
  for (std::size_t i = 0; i < images.normals.size(); ++i)
    work.emplace_back(&images.normals[i], &pngs.normals[i]);
  tbb::parallel_for(std::size_t(0), work.size(), [&](std::size_t i) { *work[i].second = EncodePng(*work[i].first); });
  for (const auto& [image, png] : work)
    if (png->empty())
      throw std::runtime_error("a baked map could not be encoded as PNG");
  return pngs;
}

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

// A level whose triangles fill as much of the screen as the full mesh's do at
// half the screen: each level's share of the triangles, halved.
double ScreenCoverage(const TriangleMesh& level, const TriangleMesh& full)
{
  return 0.5 * double(level.TriangleCount()) / double(full.TriangleCount());
}

// Bakes every map from the full level (levels[0], built from rock); the
// lighter levels get their tangents here.
AssetImages BakeMaps(const AssetOptions& options, RockScene& scene, const MeshData& rock,
                     std::vector<TriangleMesh>& levels)
{
  AssetImages images;
  const RayScene fullLevelRays(levels.front());
  for (std::size_t level = 1; level < levels.size(); ++level)
  {
    ComputeVertexTangents(levels[level]);
    FractionProgress progress("Baking the normal map of LOD" + std::to_string(level));
    SurfaceBakeOptions bake;
    bake.size = options.mapSize;
    bake.progress = [&progress](Float fraction) {
      progress.Update(fraction);
      return true;
    };
    images.normals.push_back(BakeNormalMap(levels.front(), fullLevelRays, levels[level], bake));
  }
  std::vector<float> occlusion;
  {
    ElapsedProgress progress("Baking occlusion");
    SurfaceBakeOptions bake;
    bake.size = options.mapSize;
    occlusion = BakeOcclusion(levels.front(), fullLevelRays, bake);
  }
  // Colour and height come from the rock's material over the full mesh's
  // surface points (solid projection), so no UV seam shows in either.
  ShaderBakeSettings shading;
  shading.size = options.mapSize;
  shading.sets = options.shaderSets;
  images.baseColor = BakeRockTexture(*scene.Document(), *scene.Generator(), rock, TextureProjection::Solid, shading);
  shading.kind = TextureKind::Height;
  const Image height = BakeRockTexture(*scene.Document(), *scene.Generator(), rock, TextureProjection::Solid, shading);
  images.occlusionRoughnessMetalness = PackOcclusionRoughnessMetalness(occlusion, height);
  return images;
}

void WriteMapFiles(const AssetJob& job, const AssetPngs& images)
{
  std::string error;
  const auto write = [&](const std::string& path, std::span<const std::uint8_t> png) {
    if (!WriteFileAtomically(path, png, error))
      throw std::runtime_error(error);
  };
  write(job.baseColorPath, images.baseColor);
  write(job.packedPath, images.occlusionRoughnessMetalness);
  for (std::size_t i = 0; i < job.normalPaths.size(); ++i)
    write(job.normalPaths[i], images.normals[i]);
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
  if (!rock.HasUVs())
    throw UsageError("the rock has no UVs; an asset's levels and maps need a UV layout");
  const std::vector<Vector> normals = scene.CornerNormals(rock);
  std::string error;
  // Simplification and ray casting need finite points and valid indices.
  if (!ValidateMeshForWrite(rock, normals, error))
    throw std::runtime_error("the rock cannot be made into an asset: " + error);
  std::vector<TriangleMesh> levels;
  {
    ElapsedProgress progress("Simplifying " + std::to_string(job.fractions.size()) + " levels of detail");
    levels = BuildLodChain(TrianglesOfPolygons(rock, normals), job.fractions);
  }
  const AssetImages images = BakeMaps(options, scene, rock, levels);
  FlushConsole();
  AssetPngs pngs;
  {
    ElapsedProgress progress("Encoding maps");
    pngs = EncodeMaps(images);
  }

  std::vector<AssetLevel> assetLevels(levels.size());
  for (std::size_t i = 0; i < levels.size(); ++i)
  {
    assetLevels[i].mesh = &levels[i];
    assetLevels[i].screenCoverage = ScreenCoverage(levels[i], levels.front());
    if (i > 0)
      assetLevels[i].normalMap = pngs.normals[i - 1];
  }
  AssetMaps maps;
  maps.baseColor = pngs.baseColor;
  maps.occlusionRoughnessMetalness = pngs.occlusionRoughnessMetalness;
  const std::string name = std::filesystem::path(options.out).stem().string();
  OutputGroup outputs;
  {
    ElapsedProgress progress("Writing " + options.out);
    if (!WriteAssetGlb(options.out, assetLevels, maps, name, error))
      throw std::runtime_error(error);
    for (std::size_t i = 0; i < job.splitPaths.size(); ++i)
      if (!WriteAssetGlb(job.splitPaths[i], std::span(assetLevels).subspan(i, 1), maps,
                         name + "_LOD" + std::to_string(i), error))
        throw std::runtime_error(error);
    if (options.mapsOut)
      WriteMapFiles(job, pngs);
  }
  std::optional<LevelShadingComparison> comparison;
  if (!options.compare.empty())
  {
    ElapsedProgress progress("Comparing the lightest level with LOD0");
    comparison = CompareLevelShading(levels.front(), levels.back(), images.normals.back(),
                                     images.occlusionRoughnessMetalness, kCompareViewSize);
    if (!WritePng(options.compare, comparison->picture, error))
      throw std::runtime_error(error);
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
