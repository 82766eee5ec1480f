// Pictures of the host's noise types: one grey tile per type, laid out as a
// labelled gallery (PNG) or drawn into any cairo context (the help document).
#pragma once

#include <cairo.h>
#include <string>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// What a tile shows: one of the numbered noise types, or one of the noise
// library's two functions that a plug-in can offer beside them.
enum class NoisePattern
{
  NumberedType,
  RidgedMultifractal,
  SimpleNoise,
};

struct NoiseTileEntry
{
  NoisePattern pattern;
  Int32 type;        // 1 ... 33 for a numbered type, else 0
  std::string label;
};

// Every numbered type in order, then the ridged multifractal and the simple noise.
std::vector<NoiseTileEntry> NoiseTileEntries();

// The text under a tile: "number  label" for a numbered type, else the label.
std::string NoiseTileCaption(const NoiseTileEntry& entry);

// Draws the tile of an entry into cr at (x, y), size x size pixels.
void DrawNoiseTile(cairo_t* cr, const NoiseTileEntry& entry, double x, double y, Int32 size, Int32 seed);

// Where the gallery puts one tile's label: its text and the box its ink
// covers, in pixels of the gallery picture.
struct GalleryLabel
{
  std::string text;
  double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};

struct GalleryLayout
{
  Int32 width = 0, height = 0;   // the picture
  Int32 cellWidth = 0, cellHeight = 0;
  std::vector<GalleryLabel> labels; // one per entry of NoiseTileEntries()
};

// The grid for tiles of tileSize pixels. Cells are as wide as the tile or the
// widest label, so no label reaches into its neighbour's.
GalleryLayout LayoutNoiseGallery(Int32 tileSize);

// A grid of labelled tiles written atomically as PNG. Throws
// std::invalid_argument for a tile size outside 16 ... 1024 and OutputError
// when the picture cannot be written.
void WriteNoiseGallery(const std::string& path, Int32 tileSize, Int32 seed);

} // namespace qhost
