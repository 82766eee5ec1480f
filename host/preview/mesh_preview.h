// A shaded picture of a mesh, so a person can look at a rock without a 3D
// viewer: a z-buffered rasteriser with a key light, fill light and ambient.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "host/geometry/mesh_data.h"
#include "host/geometry/triangle_mesh.h"
#include "host/io/png_image.h"

namespace qhost {

// Where the camera looks from; the lights turn with it, so every view is lit
// from the viewer's upper left.
enum class PreviewView
{
  FrontRight, // in front (+z), to the right (+x), above
  BackLeft,   // the same turned half way round the vertical axis
  Top,        // from above, slightly in front
  FrontLeft,  // in front, to the left, above
  BackRight,  // FrontLeft turned half way round the vertical axis
  Bottom,     // from below, slightly behind
};

// The six views that together show every side of an object.
inline constexpr PreviewView kAllSidesViews[] = {PreviewView::FrontRight, PreviewView::BackLeft,
                                                 PreviewView::Top,        PreviewView::FrontLeft,
                                                 PreviewView::BackRight,  PreviewView::Bottom};

struct PreviewOptions
{
  PreviewView view = PreviewView::FrontRight;
  Int32 width = 640;
  Int32 height = 480;
  // Optional texture looked up with the mesh's UVs: 8-bit sRGB colour or a
  // 16-bit linear height map.
  const Image* texture = nullptr;
  // Triangle meshes only: a tangent-space normal map (8-bit, as glTF stores
  // it; needs the mesh's tangents) and a map whose red channel is ambient
  // occlusion (linear), which darkens the ambient light as a viewer does.
  const Image* normalMap = nullptr;
  const Image* occlusionMap = nullptr;
  // When set, the camera frames this box (low, high corner) instead of the
  // mesh's own, so pictures of several meshes line up pixel for pixel.
  std::optional<std::pair<Vector, Vector>> frame;
};

// Renders mesh seen from options.view; cornerNormals has 4 per polygon.
// Throws std::runtime_error for a picture size the host cannot make.
Image RenderMeshPreview(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options);

// Renders an indexed triangle mesh with its vertex normals, UVs and, when
// the options give maps, its tangents. coverage, when given, receives one
// byte per pixel: 1 where the mesh shows. Throws for a picture size the host
// cannot make (std::runtime_error) or a normal map without tangents
// (std::invalid_argument).
Image RenderTrianglePreview(const TriangleMesh& mesh, const PreviewOptions& options,
                            std::vector<std::uint8_t>* coverage = nullptr);

// The front-right, back-left and top views side by side in one picture three
// times options.width wide (options.view is not used); throws
// std::runtime_error when that picture cannot be made.
Image RenderMeshViewStrip(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options);

} // namespace qhost
