// A game asset as one GLB: levels of detail of one object, each an indexed
// triangle mesh, sharing one material's maps.
#pragma once

#include <span>
#include <string>

#include "host/core/image.h"
#include "host/geometry/triangle_mesh.h"

namespace qhost {

struct AssetLevel
{
  const TriangleMesh* mesh = nullptr; // not owned
  // When the object covers less of the screen than this fraction, the viewer moves on to the
  // next level (MSFT_screencoverage); the last level's value is where the
  // object may be culled.
  double screenCoverage = 0.0;
  // This level's tangent-space normal map; null for none. A normal map needs
  // the mesh's tangents.
  const Image* normalMap = nullptr;
};

struct AssetMaps
{
  // Colour (8-bit sRGB) and packed occlusion (R), roughness (G) and
  // metalness (B), linear; either may be null. Shared by every level.
  const Image* baseColor = nullptr;
  const Image* occlusionRoughnessMetalness = nullptr;
};

// Writes the levels as one GLB (atomically): the first level is the scene's
// node; with more than one, that node lists the others with MSFT_lod, and its
// extras carry every level's screen coverage. Each level has POSITION,
// NORMAL, TEXCOORD_0 when it has UVs, TANGENT when it has tangents, and a
// material of its own that shares the maps' textures. Positions and
// directions are written in metres, Y up. False with error naming path when
// a level cannot be written.
bool WriteAssetGlb(const std::string& path, std::span<const AssetLevel> levels, const AssetMaps& maps,
                   const std::string& name, std::string& error);

} // namespace qhost
