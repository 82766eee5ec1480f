// A game asset made from a built rock: levels of detail sharing the rock's
// UV layout, maps baked from the full mesh. Used by `quorvane asset` and by
// the workbench's asset download alike.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/app/rock_scene.h"
#include "host/geometry/mesh_data.h"
#include "host/geometry/triangle_mesh.h"
#include "host/io/asset_gltf.h"
#include "host/io/png_image.h"
#include "host/lod/lod_chain.h"

namespace qhost::app {

struct AssetSettings
{
  // Triangle counts of the levels after the full one, as fractions of its
  // triangles, each below the one before.
  std::vector<double> fractions{std::begin(kDefaultLodFractions), std::end(kDefaultLodFractions)};
  int mapSize = 1024;
  // NAME_OR_ID=VALUE for the shader the colour and roughness come from.
  std::vector<std::string> shaderSets;
};

// Called with the name of each long step as it starts; what it returns is
// kept until the step ends (the command line shows progress with it).
using AssetStepWatch = std::function<std::shared_ptr<void>(const std::string& step)>;

// Colour and height of the rock's material over the full mesh, baked over
// its surface points (solid projection, so no UV seam shows): the part of an
// asset that needs the scene. Throws InputError when the rock has no UV
// layout.
struct AssetShading
{
  Image baseColor;
  Image height;
};

AssetShading BakeAssetShading(RockScene& scene, const MeshData& rock, const AssetSettings& settings);

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

struct RockAsset
{
  std::vector<TriangleMesh> levels; // the full mesh first
  AssetImages images;
  AssetPngs pngs;

  // The levels and maps as the GLB writer takes them; they point into this
  // asset.
  std::vector<AssetLevel> Levels() const;
  AssetMaps Maps() const;
};

// Simplifies rock (with its corner normals) into the levels and bakes their
// maps; shading comes from BakeAssetShading of the same mesh. Throws
// InputError when the rock has no UV layout.
RockAsset MakeRockAsset(const MeshData& rock, std::span<const Vector> normals, AssetShading shading,
                        const AssetSettings& settings, const AssetStepWatch& watch = {});

} // namespace qhost::app
