// RGB/RGBA images (host/core/image.h): their PNG encoding (8 or 16 bits per
// channel), files, and colour conversions for pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/image.h"

namespace qhost {

// A zero-filled image; throws std::runtime_error saying why when the shape
// (3 or 4 channels, 8 or 16 bits, within kMaxImageSide and kMaxImagePixels)
// is not one we support.
Image MakeImage(Int32 width, Int32 height, Int32 channels, Int32 bitDepth);

// Reads a PNG file (see DecodePng); throws InputError naming the file.
Image ReadPng(const std::string& path);

// Writes atomically (see WriteFileAtomically); throws OutputError naming path,
// also when the image's shape or samples cannot be stored.
void WritePng(const std::string& path, const Image& image);

// The PNG file content in memory; empty when the image's shape or samples
// cannot be stored.
std::vector<std::uint8_t> EncodePng(const Image& image);

// Linear light in [0, 1] (clamped, NaN as 0) to the sRGB transfer curve.
std::uint8_t LinearToSrgb8(Float linear);
std::uint16_t LinearToSrgb16(Float linear);
// Linear value in [0, 1] to 16 bits without a transfer curve, for data maps
// such as heights that must stay linear.
std::uint16_t LinearToUnorm16(Float linear);

} // namespace qhost
