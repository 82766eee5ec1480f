#include "host/app/contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host/geometry/mesh_ops.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"
#include "host/preview/mesh_preview.h"

namespace qhost::app {
namespace {

constexpr Int32 kTileWidth = 160;
constexpr Int32 kMinTileWidth = 16;
// Shading as the generator's default Phong tag gives it.
constexpr Float kPhongAngle = 80.0 * kPi / 180.0;

void Paste(const Image& tile, Int32 left, Int32 top, Image& sheet)
{
  for (Int32 y = 0; y < tile.height; ++y)
    for (Int32 x = 0; x < tile.width; ++x)
      for (Int32 c = 0; c < 3; ++c)
        sheet.At(left + x, top + y, c) = tile.At(x, y, c);
}

} // namespace

Image MakeContactSheet(const std::vector<std::string>& meshPaths, const MeshFileFrame& frame)
{
  const Int32 count = Int32(meshPaths.size());
  const Int32 columns = std::max(1, Int32(std::ceil(std::sqrt(double(count)))));
  const Int32 rows = (count + columns - 1) / columns;
  const Int32 tileWidth = std::max(kMinTileWidth, std::min(kTileWidth, kMaxSquareImageSide / columns));
  const Int32 tileHeight = tileWidth * 3 / 4;
  Image sheet = MakeImage(columns * tileWidth, std::max(1, rows) * tileHeight, 3, 8);
  PreviewOptions options;
  options.width = tileWidth;
  options.height = tileHeight;
  for (Int32 i = 0; i < count; ++i)
  {
    const MeshData mesh = ReadMesh(meshPaths[i], frame);
    const std::vector<Vector> normals = ComputeCornerNormals(mesh, true, kPhongAngle);
    Paste(RenderMeshPreview(mesh, normals, options), (i % columns) * tileWidth, (i / columns) * tileHeight, sheet);
  }
  return sheet;
}

} // namespace qhost::app
