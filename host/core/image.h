// RGB/RGBA images in memory, 8 or 16 bits per channel.
#pragma once

#include <cstdint>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// Largest accepted width or height and largest pixel count (64 Mi pixels, at
// most 512 MiB of 16-bit RGBA samples), checked before any pixel memory is
// allocated.
constexpr Int32 kMaxImageSide = 32768;
constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 26;
// The largest square image within kMaxImagePixels: the limit of size options.
constexpr Int32 kMaxSquareImageSide = 8192;
static_assert(std::int64_t(kMaxSquareImageSide) * kMaxSquareImageSide == kMaxImagePixels);

// Samples are stored row-major, top row first, channels interleaved (RGB or
// RGBA), one std::uint16_t per sample whatever the bit depth: an 8-bit image
// holds values 0..255, a 16-bit image 0..65535.
struct Image
{
  Int32 width = 0;
  Int32 height = 0;
  Int32 channels = 3; // 3 (RGB) or 4 (RGBA)
  Int32 bitDepth = 8; // 8 or 16
  std::vector<std::uint16_t> samples;

  std::uint16_t& At(Int32 x, Int32 y, Int32 channel)
  {
    return samples[(static_cast<std::size_t>(y) * width + x) * channels + channel];
  }
  std::uint16_t At(Int32 x, Int32 y, Int32 channel) const
  {
    return samples[(static_cast<std::size_t>(y) * width + x) * channels + channel];
  }
};

} // namespace qhost
