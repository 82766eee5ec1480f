#include "host/core/bitmap.h"

#include "host/core/png_decode.h"
#include "host/core/read_file.h"

namespace qhost {

std::unique_ptr<HostBitmap> LoadBitmapFile(const String& path, Float pixelRatio)
{
  // Icons are small; anything larger than this is not an icon.
  constexpr Int32 kMaxSide = 4096;
  constexpr std::uint64_t kMaxFileBytes = std::uint64_t(64) << 20;
  Image image;
  try
  {
    image = DecodePng(ReadFileBytes(path, kMaxFileBytes), path);
  }
  catch (const std::exception&)
  {
    return nullptr; // the caller reports a missing icon its own way
  }
  if (image.width > kMaxSide || image.height > kMaxSide)
    return nullptr;
  // Icons are kept as 8-bit RGBA whatever the file holds.
  const int shift = image.bitDepth == 16 ? 8 : 0;
  std::vector<std::uint8_t> rgba(std::size_t(image.width) * image.height * 4, 255);
  for (std::size_t pixel = 0; pixel < rgba.size() / 4; ++pixel)
    for (Int32 channel = 0; channel < image.channels; ++channel)
      rgba[4 * pixel + channel] = static_cast<std::uint8_t>(image.samples[pixel * image.channels + channel] >> shift);
  return std::make_unique<HostBitmap>(image.width, image.height, pixelRatio, std::move(rgba));
}

} // namespace qhost
