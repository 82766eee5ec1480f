#include "host/gallery/noise_tiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "host/io/atomic_file.h"
#include "host/noise/noise.h"

namespace qhost {
namespace {

constexpr Int32 kColumns = 6;
constexpr Int32 kLabelHeight = 22;
constexpr Int32 kLabelBaseline = 15; // below the tile
constexpr double kLabelFontSize = 13.0;
constexpr Int32 kMargin = 8;
constexpr Float kTileExtent = 4.0; // noise units across one tile

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// How the tiles sample the patterns: five octaves, mild detail attenuation,
// and for the ridged multifractal ridges with damped valleys (offset 0.5,
// gain 1) on weights of a rough fractal (H 0.5).
constexpr Float kOctaves = 5.0;
constexpr Float kDetailAttenuation = 0.25;
constexpr Float kRidgeOffset = 0.5;
constexpr Float kRidgeGain = 1.0;
constexpr Float kRidgeRoughness = 0.5;

Float Evaluate(const NoiseGenerator& noise, const Float* fbm, const NoiseTileEntry& entry, const Vector& p)
{
  switch (entry.pattern)
  {
    case NoisePattern::RidgedMultifractal: return noise.RidgedMultifractal(fbm, p, kOctaves, kRidgeOffset, kRidgeGain);
    case NoisePattern::SimpleNoise: return noise.SimpleNoise(p);
    case NoisePattern::NumberedType: break;
  }
  return noise.Noise(entry.type, true, p, 0.0, kOctaves, false, 0.0, kDetailAttenuation, 0);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length)
{
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

void SetLabelFont(cairo_t* cr)
{
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, kLabelFontSize);
}

} // namespace

std::vector<NoiseTileEntry> NoiseTileEntries()
{
  std::vector<NoiseTileEntry> entries;
  for (const NoiseTypeInfo& info : AllNoiseTypes())
    entries.push_back({NoisePattern::NumberedType, info.type, info.label});
  entries.push_back({NoisePattern::RidgedMultifractal, 0, "Ridged Multifractal"});
  entries.push_back({NoisePattern::SimpleNoise, 0, "Simple Noise"});
  return entries;
}

std::string NoiseTileCaption(const NoiseTileEntry& entry)
{
  return entry.pattern == NoisePattern::NumberedType ? std::to_string(entry.type) + "  " + entry.label : entry.label;
}

void DrawNoiseTile(cairo_t* cr, const NoiseTileEntry& entry, double x, double y, Int32 size, Int32 seed)
{
  const NoiseGenerator noise(seed);
  Float fbm[kFbmTableSize] = {};
  InitFbm(fbm, kFbmTableSize - 1, 2.0, kRidgeRoughness);
  SurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_RGB24, size, size), cairo_surface_destroy);
  cairo_surface_flush(tile.get());
  unsigned char* pixels = cairo_image_surface_get_data(tile.get());
  const int stride = cairo_image_surface_get_stride(tile.get());
  for (Int32 row = 0; row < size; ++row)
  {
    auto* line = reinterpret_cast<std::uint32_t*>(pixels + row * stride);
    for (Int32 col = 0; col < size; ++col)
    {
      const Vector p((col + 0.5) / size * kTileExtent, (row + 0.5) / size * kTileExtent, 0.0);
      const auto grey = std::uint32_t(std::clamp(Evaluate(noise, fbm, entry, p), 0.0, 1.0) * 255.0 + 0.5);
      line[col] = (grey << 16) | (grey << 8) | grey;
    }
  }
  cairo_surface_mark_dirty(tile.get());
  cairo_save(cr);
  cairo_set_source_surface(cr, tile.get(), x, y);
  cairo_rectangle(cr, x, y, size, size);
  cairo_fill(cr);
  cairo_restore(cr);
}

GalleryLayout LayoutNoiseGallery(Int32 tileSize)
{
  // Labels are measured on a scratch surface with the font they are drawn in.
  SurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), cairo_surface_destroy);
  ContextPtr cr(cairo_create(scratch.get()), cairo_destroy);
  SetLabelFont(cr.get());
  const std::vector<NoiseTileEntry> entries = NoiseTileEntries();
  GalleryLayout layout;
  std::vector<cairo_text_extents_t> extents(entries.size());
  double widest = 0.0;
  for (size_t i = 0; i < entries.size(); ++i)
  {
    layout.labels.push_back({NoiseTileCaption(entries[i])});
    cairo_text_extents(cr.get(), layout.labels[i].text.c_str(), &extents[i]);
    widest = std::max(widest, extents[i].x_bearing + extents[i].width);
  }
  layout.cellWidth = std::max(tileSize, Int32(std::ceil(widest))) + kMargin;
  layout.cellHeight = tileSize + kLabelHeight + kMargin;
  const Int32 rows = (Int32(entries.size()) + kColumns - 1) / kColumns;
  layout.width = kColumns * layout.cellWidth + kMargin;
  layout.height = rows * layout.cellHeight + kMargin;
  for (size_t i = 0; i < entries.size(); ++i)
  {
    GalleryLabel& label = layout.labels[i];
    label.x = kMargin + double(i % kColumns) * layout.cellWidth;
    label.y = kMargin + double(i / kColumns) * layout.cellHeight + tileSize + kLabelBaseline;
    // The pen starts at (x, y) on the baseline; the box is where the ink goes.
    label.x += extents[i].x_bearing;
    label.y += extents[i].y_bearing;
    label.width = extents[i].width;
    label.height = extents[i].height;
  }
  return layout;
}

void WriteNoiseGallery(const std::string& path, Int32 tileSize, Int32 seed)
{
  if (tileSize < 16 || tileSize > 1024)
    throw std::invalid_argument("tile size " + std::to_string(tileSize) + " is outside 16 ... 1024");
  const std::vector<NoiseTileEntry> entries = NoiseTileEntries();
  const GalleryLayout layout = LayoutNoiseGallery(tileSize);
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height),
                     cairo_surface_destroy);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  SetLabelFont(cr.get());
  for (size_t i = 0; i < entries.size(); ++i)
  {
    const double x = kMargin + double(i % kColumns) * layout.cellWidth;
    const double y = kMargin + double(i / kColumns) * layout.cellHeight;
    DrawNoiseTile(cr.get(), entries[i], x, y, tileSize, seed);
    cairo_set_source_rgb(cr.get(), 0.1, 0.1, 0.1);
    cairo_move_to(cr.get(), x, y + tileSize + kLabelBaseline);
    cairo_show_text(cr.get(), layout.labels[i].text.c_str());
  }
  cairo_surface_flush(surface.get());
  std::vector<std::uint8_t> png;
  if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) != CAIRO_STATUS_SUCCESS)
    throw OutputError(path, "the gallery could not be encoded");
  WriteFileAtomically(path, png);
}

} // namespace qhost
