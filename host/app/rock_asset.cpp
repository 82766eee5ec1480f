#include "host/app/rock_asset.h"

#include <tbb/parallel_for.h>

#include "host/app/rock_texture.h"
#include "host/bake/packed_maps.h"
#include "host/bake/surface_bake.h"
#include "host/core/input_error.h"
#include "host/geometry/vertex_tangents.h"
#include "host/io/mesh_file.h"
#include "host/lod/polygon_triangles.h"

namespace qhost::app {
namespace {

std::shared_ptr<void> Watch(const AssetStepWatch& watch, const std::string& step)
{
  return watch ? watch(step) : nullptr;
}

// A level whose triangles fill as much of the screen as the full mesh's do at
// half the screen: each level's share of the triangles, halved.
double ScreenCoverage(const TriangleMesh& level, const TriangleMesh& full)
{
  return 0.5 * double(level.TriangleCount()) / double(full.TriangleCount());
}

// Bakes the normal maps of the lighter levels (which get their tangents
// here) and the occlusion from the full level, levels[0].
AssetImages BakeMaps(std::vector<TriangleMesh>& levels, AssetShading shading, const AssetSettings& settings,
                     const AssetStepWatch& watch)
{
  AssetImages images;
  const RayScene fullLevelRays(levels.front());
  SurfaceBakeOptions bake;
  bake.size = settings.mapSize;
  for (std::size_t level = 1; level < levels.size(); ++level)
  {
    ComputeVertexTangents(levels[level]);
    const auto step = Watch(watch, "Baking the normal map of LOD" + std::to_string(level));
    images.normals.push_back(BakeNormalMap(levels.front(), fullLevelRays, levels[level], bake));
  }
  std::vector<float> occlusion;
  {
    const auto step = Watch(watch, "Baking occlusion");
    occlusion = BakeOcclusion(levels.front(), fullLevelRays, bake);
  }
  images.baseColor = std::move(shading.baseColor);
  images.occlusionRoughnessMetalness = PackOcclusionRoughnessMetalness(occlusion, shading.height);
  return images;
}

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

void RequireUVs(const MeshData& rock)
{
  if (!rock.HasUVs())
    throw InputError("the rock has no UVs; an asset's levels and maps need a UV layout");
}

} // namespace

AssetShading BakeAssetShading(RockScene& scene, const MeshData& rock, const AssetSettings& settings)
{
  RequireUVs(rock);
  ShaderBakeSettings shading;
  shading.size = settings.mapSize;
  shading.sets = settings.shaderSets;
  AssetShading baked;
  baked.baseColor = BakeRockTexture(*scene.Document(), *scene.Generator(), rock, TextureProjection::Solid, shading);
  shading.kind = TextureKind::Height;
  baked.height = BakeRockTexture(*scene.Document(), *scene.Generator(), rock, TextureProjection::Solid, shading);
  return baked;
}

RockAsset MakeRockAsset(const MeshData& rock, std::span<const Vector> normals, AssetShading shading,
                        const AssetSettings& settings, const AssetStepWatch& watch)
{
  RequireUVs(rock);
  // Simplification and ray casting need finite points and valid indices.
  if (const std::string problem = MeshWriteProblem(rock, normals); !problem.empty())
    throw std::runtime_error("the rock cannot be made into an asset: " + problem);
  RockAsset asset;
  {
    const auto step = Watch(watch, "Simplifying " + std::to_string(settings.fractions.size()) + " levels of detail");
    asset.levels = BuildLodChain(TrianglesOfPolygons(rock, normals), settings.fractions);
  }
  asset.images = BakeMaps(asset.levels, std::move(shading), settings, watch);
  {
    const auto step = Watch(watch, "Encoding maps");
    asset.pngs = EncodeMaps(asset.images);
  }
  return asset;
}

std::vector<AssetLevel> RockAsset::Levels() const
{
  std::vector<AssetLevel> result(levels.size());
  for (std::size_t i = 0; i < levels.size(); ++i)
  {
    result[i].mesh = &levels[i];
    result[i].screenCoverage = ScreenCoverage(levels[i], levels.front());
    if (i > 0)
      result[i].normalMap = pngs.normals[i - 1];
  }
  return result;
}

AssetMaps RockAsset::Maps() const
{
  AssetMaps maps;
  maps.baseColor = pngs.baseColor;
  maps.occlusionRoughnessMetalness = pngs.occlusionRoughnessMetalness;
  return maps;
}

} // namespace qhost::app
