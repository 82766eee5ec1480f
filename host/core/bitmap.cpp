#include "host/core/bitmap.h"

#include <png.h>

namespace qhost {

std::unique_ptr<HostBitmap> LoadBitmapFile(const String& path, Float pixelRatio)
{
  // Icons are small; anything larger than this is not an icon.
  constexpr png_uint_32 kMaxSide = 4096;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return nullptr;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide)
  {
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
  {
    png_image_free(&image);
    return nullptr;
  }
  return std::make_unique<HostBitmap>(Int32(image.width), Int32(image.height), pixelRatio, std::move(pixels));
}

} // namespace qhost
