#include "host/core/png_decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "host/core/input_error.h"
#include "host/core/png_session.h"

namespace qhost {
namespace {

struct MemoryReader
{
  std::span<const std::uint8_t> bytes;
  std::size_t offset = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->bytes.size() - reader->offset)
    png_error(png, "file ends early");
  std::memcpy(out, reader->bytes.data() + reader->offset, length);
  reader->offset += length;
}

struct Header
{
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;
  int bitDepth = 0;
  std::size_t rowBytes = 0;
};

bool ReadHeader(PngSession& session, MemoryReader& reader, Header& header)
{
  if (setjmp(png_jmpbuf(session.png)))
    return false;
  png_set_read_fn(session.png, &reader, ReadFromMemory);
  // Our own limits are checked after the header; these stop libpng earlier.
  png_set_user_limits(session.png, kMaxImageSide, kMaxImageSide);
  png_read_info(session.png, session.info);

  const int colorType = png_get_color_type(session.png, session.info);
  if (colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(session.png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(session.png);
  if (png_get_bit_depth(session.png, session.info) < 8)
    png_set_expand(session.png);
  if (png_get_valid(session.png, session.info, PNG_INFO_tRNS))
    png_set_tRNS_to_alpha(session.png);
  png_read_update_info(session.png, session.info);

  header.width = png_get_image_width(session.png, session.info);
  header.height = png_get_image_height(session.png, session.info);
  header.channels = png_get_channels(session.png, session.info);
  header.bitDepth = png_get_bit_depth(session.png, session.info);
  header.rowBytes = png_get_rowbytes(session.png, session.info);
  return true;
}

bool ReadRows(PngSession& session, png_bytepp rows)
{
  if (setjmp(png_jmpbuf(session.png)))
    return false;
  png_read_image(session.png, rows);
  png_read_end(session.png, nullptr);
  return true;
}

} // namespace

Image DecodePng(std::span<const std::uint8_t> bytes, const std::string& name)
{
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
    throw InputError(name + ": not a PNG file");
  PngSession session(true);
  if (!session.Ready())
    throw std::bad_alloc();
  MemoryReader reader{bytes, 0};
  Header header;
  if (!ReadHeader(session, reader, header))
    throw InputError(name + ": " + session.message);
  if ((header.channels != 3 && header.channels != 4) || (header.bitDepth != 8 && header.bitDepth != 16))
    throw InputError(name + ": unsupported PNG layout (" + std::to_string(header.channels) + " channels of " +
                     std::to_string(header.bitDepth) + " bits)");
  if (header.width == 0 || header.height == 0 || header.width > png_uint_32(kMaxImageSide) ||
      header.height > png_uint_32(kMaxImageSide) || std::int64_t(header.width) * header.height > kMaxImagePixels)
    throw InputError(name + ": image size " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                     " is outside the supported range (sides up to " + std::to_string(kMaxImageSide) + ", at most " +
                     std::to_string(kMaxImagePixels) + " pixels)");

  Image image;
  image.width = static_cast<Int32>(header.width);
  image.height = static_cast<Int32>(header.height);
  image.channels = header.channels;
  image.bitDepth = header.bitDepth;
  image.samples.resize(std::size_t(header.width) * header.height * header.channels);
  std::vector<png_byte> pixels(header.rowBytes * header.height);
  std::vector<png_bytep> rows(header.height);
  for (png_uint_32 y = 0; y < header.height; ++y)
    rows[y] = pixels.data() + y * header.rowBytes;
  if (!ReadRows(session, rows.data()))
    throw InputError(name + ": " + session.message);

  // PNG stores 16-bit samples big-endian.
  if (header.bitDepth == 16)
    for (std::size_t i = 0; i < image.samples.size(); ++i)
      image.samples[i] = static_cast<std::uint16_t>(pixels[2 * i] << 8 | pixels[2 * i + 1]);
  else
    std::copy(pixels.begin(), pixels.begin() + image.samples.size(), image.samples.begin());
  return image;
}

} // namespace qhost
