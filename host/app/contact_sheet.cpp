#include "host/app/contact_sheet.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <memory>

#include "host/geometry/mesh_ops.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"
#include "host/preview/mesh_preview.h"

namespace qhost::app {
namespace {

constexpr Int32 kTileWidth = 160;
constexpr Int32 kMinTileWidth = 16;
// Narrower tiles have no room for a label a person can read.
constexpr Int32 kMinLabelledTileWidth = 64;
constexpr Int32 kLabelHeight = 18;
constexpr double kLabelFontSize = 12.0;
constexpr std::uint16_t kLabelBackground = 255;
// Shading as the generator's default Phong tag gives it.
constexpr Float kPhongAngle = 80.0 * kPi / 180.0;

void Paste(const Image& tile, Int32 left, Int32 top, Image& sheet)
{
  for (Int32 y = 0; y < tile.height; ++y)
    for (Int32 x = 0; x < tile.width; ++x)
      for (Int32 c = 0; c < 3; ++c)
        sheet.At(left + x, top + y, c) = tile.At(x, y, c);
}

// Draws dark text centred in a strip of a light 8-bit RGB sheet; the text is
// cut at the strip's edges.
void DrawLabel(const std::string& text, Int32 left, Int32 top, Int32 width, Image& sheet)
{
  using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
  using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
  SurfacePtr strip(cairo_image_surface_create(CAIRO_FORMAT_A8, width, kLabelHeight), cairo_surface_destroy);
  ContextPtr cr(cairo_create(strip.get()), cairo_destroy);
  cairo_select_font_face(cr.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr.get(), kLabelFontSize);
  cairo_text_extents_t extents;
  cairo_text_extents(cr.get(), text.c_str(), &extents);
  cairo_move_to(cr.get(), std::max(2.0, (width - extents.width) / 2.0 - extents.x_bearing),
                (kLabelHeight - extents.height) / 2.0 - extents.y_bearing);
  cairo_show_text(cr.get(), text.c_str());
  cairo_surface_flush(strip.get());
  const unsigned char* ink = cairo_image_surface_get_data(strip.get());
  const int stride = cairo_image_surface_get_stride(strip.get());
  for (Int32 y = 0; y < kLabelHeight; ++y)
    for (Int32 x = 0; x < width; ++x)
      for (Int32 c = 0; c < 3; ++c)
        sheet.At(left + x, top + y, c) = std::uint16_t(kLabelBackground - ink[y * stride + x] * 7 / 10);
}

} // namespace

Image MakeContactSheet(const std::vector<ContactSheetEntry>& entries, const MeshFileFrame& frame)
{
  const Int32 count = Int32(entries.size());
  const Int32 columns = std::max(1, Int32(std::ceil(std::sqrt(double(count)))));
  const Int32 rows = (count + columns - 1) / columns;
  const Int32 tileWidth = std::max(kMinTileWidth, std::min(kTileWidth, kMaxSquareImageSide / columns));
  const Int32 tileHeight = tileWidth * 3 / 4;
  const Int32 labelHeight = tileWidth >= kMinLabelledTileWidth ? kLabelHeight : 0;
  const Int32 cellHeight = tileHeight + labelHeight;
  Image sheet = MakeImage(columns * tileWidth, std::max(1, rows) * cellHeight, 3, 8);
  std::fill(sheet.samples.begin(), sheet.samples.end(), kLabelBackground);
  PreviewOptions options;
  options.width = tileWidth;
  options.height = tileHeight;
  for (Int32 i = 0; i < count; ++i)
  {
    const Int32 left = (i % columns) * tileWidth, top = (i / columns) * cellHeight;
    const MeshData mesh = ReadMesh(entries[i].meshPath, frame);
    const std::vector<Vector> normals = ComputeCornerNormals(mesh, true, kPhongAngle);
    Paste(RenderMeshPreview(mesh, normals, options), left, top, sheet);
    if (labelHeight > 0)
      DrawLabel(entries[i].label, left, top + tileHeight, tileWidth, sheet);
  }
  return sheet;
}

} // namespace qhost::app
