// A shaded picture of a mesh, so a person can look at a rock without a 3D
// viewer: a z-buffered rasteriser with a key light, fill light and ambient.
#pragma once

#include <span>

#include "host/geometry/mesh_data.h"
#include "host/io/png_image.h"

namespace qhost {

// Where the camera looks from; the lights turn with it, so every view is lit
// from the viewer's upper left.
enum class PreviewView
{
  FrontRight, // in front (+z), to the right (+x), above
  BackLeft,   // the same turned half way round the vertical axis
  Top,        // from above, slightly in front
};

struct PreviewOptions
{
  PreviewView view = PreviewView::FrontRight;
  Int32 width = 640;
  Int32 height = 480;
  // Optional texture looked up with the mesh's UVs: 8-bit sRGB colour or a
  // 16-bit linear height map.
  const Image* texture = nullptr;
};

// Renders mesh seen from options.view; cornerNormals has 4 per polygon. False with a message for a picture size the host cannot make.
bool RenderMeshPreview(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options,
                       Image& picture, std::string& error);

// The front-right, back-left and top views side by side in one picture three
// times options.width wide (options.view is not used).
bool RenderMeshViewStrip(const MeshData& mesh, std::span<const Vector> cornerNormals, const PreviewOptions& options,
                         Image& picture, std::string& error);

} // namespace qhost
