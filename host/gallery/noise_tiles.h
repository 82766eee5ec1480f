// Pictures of the host's noise types: one grey tile per type, laid out as a
// labelled gallery (PNG) or drawn into any cairo context (the help document).
#pragma once

#include <cairo.h>
#include <string>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

struct NoiseTileEntry
{
  Int32 type;        // 1 ... 33, or 400 (ridged multifractal), 500 (simple noise)
  std::string label;
};

// Every type a person can pick, in type order, with its label.
std::vector<NoiseTileEntry> NoiseTileEntries();

// Draws the tile of a type into cr at (x, y), size x size pixels.
void DrawNoiseTile(cairo_t* cr, Int32 type, double x, double y, Int32 size, Int32 seed);

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

// A grid of labelled tiles written atomically as PNG; false with a message.
bool WriteNoiseGallery(const std::string& path, Int32 tileSize, Int32 seed, std::string& error);

} // namespace qhost
