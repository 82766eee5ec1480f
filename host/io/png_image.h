// RGB/RGBA images and their PNG encoding (8 or 16 bits per channel).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// Largest accepted width or height and largest pixel count (64 Mi pixels, at
// most 512 MiB of 16-bit RGBA samples), checked before any pixel memory is
// allocated.
constexpr Int32 kMaxImageSide = 32768;
constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 26;

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

// A zero-filled image, or false when the shape is not one we support.
bool MakeImage(Int32 width, Int32 height, Int32 channels, Int32 bitDepth, Image& image, std::string& error);

// True when the shape is supported, within the limits, and samples has the
// right size and range.
bool ValidateImage(const Image& image, std::string& error);

// Reads any PNG; grey and palette images become RGB, transparency becomes an
// alpha channel, bit depths below 8 become 8.
bool ReadPng(const std::string& path, Image& image, std::string& error);

// Writes atomically (see WriteFileAtomically).
bool WritePng(const std::string& path, const Image& image, std::string& error);

// The PNG file content in memory; empty when the image is invalid.
std::vector<std::uint8_t> EncodePng(const Image& image);

// Linear light in [0, 1] (clamped, NaN as 0) to the sRGB transfer curve.
std::uint8_t LinearToSrgb8(Float linear);
std::uint16_t LinearToSrgb16(Float linear);
// Linear value in [0, 1] to 16 bits without a transfer curve, for data maps
// such as heights that must stay linear.
std::uint16_t LinearToUnorm16(Float linear);

} // namespace qhost
