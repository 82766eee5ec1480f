// A game asset as one GLB: levels of detail of one object, each an indexed
// triangle mesh, sharing one material's maps.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/geometry/triangle_mesh.h"

namespace qhost {

struct AssetLevel
{
  const TriangleMesh* mesh = nullptr; // not owned
  // When the object covers less of the screen than this fraction, the viewer moves on to the
  // next level (MSFT_screencoverage); the last level's value is where the
  // object may be culled.
  double screenCoverage = 0.0;
  // This level's tangent-space normal map as PNG; empty for none. A normal
  // map needs the mesh's tangents.
  std::span<const std::uint8_t> normalMap;
};

struct AssetMaps
{
  // PNGs of the colour (sRGB) and of occlusion (R), roughness (G) and
  // metalness (B) packed, linear; either may be empty. Shared by every level.
  std::span<const std::uint8_t> baseColor;
  std::span<const std::uint8_t> occlusionRoughnessMetalness;
};

// Writes the levels as one GLB (atomically): the first level is the scene's
// node; with more than one, that node lists the others with MSFT_lod, and its
// extras carry every level's screen coverage. Each level has POSITION,
// NORMAL, TEXCOORD_0 when it has UVs, TANGENT when it has tangents, and a
// material of its own that shares the maps' textures. Positions and
// directions are written in metres, Y up. Throws OutputError naming path
// (and the level) when the asset cannot be written.
void WriteAssetGlb(const std::string& path, std::span<const AssetLevel> levels, const AssetMaps& maps,
                   const std::string& name);

} // namespace qhost
