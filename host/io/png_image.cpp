#include "host/io/png_image.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <png.h>

#include "host/io/atomic_file.h"

namespace qhost {
namespace {

// libpng reports errors by longjmp. The functions that call setjmp keep only
// trivially destructible locals, so jumping out of libpng never skips a C++
// destructor; all containers live in their callers.
struct PngSession
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool reading = true;
  char message[256] = "";

  ~PngSession()
  {
    if (reading)
      png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    else
      png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
  auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
  std::snprintf(session->message, sizeof(session->message), "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

struct ReadHeader
{
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;
  int bitDepth = 0;
  std::size_t rowBytes = 0;
};

bool ReadPngHeader(PngSession& session, std::FILE* file, ReadHeader& header)
{
  if (setjmp(png_jmpbuf(session.png)))
    return false;
  png_init_io(session.png, file);
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

bool ReadPngRows(PngSession& session, png_bytepp rows)
{
  if (setjmp(png_jmpbuf(session.png)))
    return false;
  png_read_image(session.png, rows);
  png_read_end(session.png, nullptr);
  return true;
}

void AppendToVector(png_structp png, png_bytep data, png_size_t length)
{
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

bool WritePngRows(PngSession& session, const Image& image, png_bytepp rows, std::vector<std::uint8_t>* out)
{
  if (setjmp(png_jmpbuf(session.png)))
    return false;
  png_set_write_fn(session.png, out, AppendToVector, FlushNothing);
  png_set_IHDR(session.png, session.info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.bitDepth,
               image.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(session.png, session.info);
  png_write_image(session.png, rows);
  png_write_end(session.png, nullptr);
  return true;
}

Float Clamp01(Float v)
{
  return v > 0.0 ? std::min(v, 1.0) : 0.0; // NaN fails the comparison and maps to 0
}

Float SrgbEncode(Float linear)
{
  const Float v = Clamp01(linear);
  return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}

bool ValidateShape(Int32 width, Int32 height, Int32 channels, Int32 bitDepth, std::string& error)
{
  if (channels != 3 && channels != 4)
  {
    error = "image has " + std::to_string(channels) + " channels; 3 or 4 are supported";
    return false;
  }
  if (bitDepth != 8 && bitDepth != 16)
  {
    error = "image bit depth " + std::to_string(bitDepth) + " is not 8 or 16";
    return false;
  }
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
      std::int64_t(width) * height > kMaxImagePixels)
  {
    error = "image size " + std::to_string(width) + "x" + std::to_string(height) +
            " is outside the supported range";
    return false;
  }
  return true;
}

} // namespace

bool MakeImage(Int32 width, Int32 height, Int32 channels, Int32 bitDepth, Image& image, std::string& error)
{
  if (!ValidateShape(width, height, channels, bitDepth, error))
    return false;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bitDepth = bitDepth;
  image.samples.assign(static_cast<std::size_t>(width) * height * channels, 0);
  return true;
}

bool ValidateImage(const Image& image, std::string& error)
{
  if (!ValidateShape(image.width, image.height, image.channels, image.bitDepth, error))
    return false;
  const std::size_t expected = static_cast<std::size_t>(image.width) * image.height * image.channels;
  if (image.samples.size() != expected)
  {
    error = "image has " + std::to_string(image.samples.size()) + " samples, expected " + std::to_string(expected);
    return false;
  }
  if (image.bitDepth == 8 && std::any_of(image.samples.begin(), image.samples.end(), [](auto s) { return s > 255; }))
  {
    error = "8-bit image holds samples above 255";
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, Image& image, std::string& error)
{
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
  {
    error = path + ": cannot open";
    return false;
  }
  png_byte signature[8] = {};
  if (std::fread(signature, 1, sizeof(signature), file) != sizeof(signature) ||
      png_sig_cmp(signature, 0, sizeof(signature)) != 0)
  {
    std::fclose(file);
    error = path + ": not a PNG file";
    return false;
  }

  PngSession session;
  session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
  if (session.png)
    session.info = png_create_info_struct(session.png);
  if (!session.info)
  {
    std::fclose(file);
    error = path + ": out of memory";
    return false;
  }
  png_set_sig_bytes(session.png, sizeof(signature));

  ReadHeader header;
  if (!ReadPngHeader(session, file, header))
  {
    std::fclose(file);
    error = path + ": " + session.message;
    return false;
  }
  Image result;
  if (!MakeImage(static_cast<Int32>(header.width), static_cast<Int32>(header.height), header.channels,
                 header.bitDepth, result, error))
  {
    std::fclose(file);
    error = path + ": " + error;
    return false;
  }

  std::vector<png_byte> pixels(header.rowBytes * header.height);
  std::vector<png_bytep> rows(header.height);
  for (png_uint_32 y = 0; y < header.height; ++y)
    rows[y] = pixels.data() + y * header.rowBytes;
  const bool ok = ReadPngRows(session, rows.data());
  std::fclose(file);
  if (!ok)
  {
    error = path + ": " + session.message;
    return false;
  }

  // PNG stores 16-bit samples big-endian.
  if (header.bitDepth == 16)
    for (std::size_t i = 0; i < result.samples.size(); ++i)
      result.samples[i] = static_cast<std::uint16_t>(pixels[2 * i] << 8 | pixels[2 * i + 1]);
  else
    std::copy(pixels.begin(), pixels.begin() + result.samples.size(), result.samples.begin());
  image = std::move(result);
  return true;
}

std::vector<std::uint8_t> EncodePng(const Image& image)
{
  std::string error;
  if (!ValidateImage(image, error))
    return {};

  const std::size_t bytesPerSample = image.bitDepth == 16 ? 2 : 1;
  std::vector<png_byte> pixels(image.samples.size() * bytesPerSample);
  if (bytesPerSample == 2)
    for (std::size_t i = 0; i < image.samples.size(); ++i)
    {
      pixels[2 * i] = static_cast<png_byte>(image.samples[i] >> 8);
      pixels[2 * i + 1] = static_cast<png_byte>(image.samples[i] & 0xFF);
    }
  else
    std::copy(image.samples.begin(), image.samples.end(), pixels.begin());
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * image.channels * bytesPerSample;
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (std::size_t y = 0; y < rows.size(); ++y)
    rows[y] = pixels.data() + y * rowBytes;

  PngSession session;
  session.reading = false;
  session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
  if (session.png)
    session.info = png_create_info_struct(session.png);
  if (!session.info)
    return {};
  std::vector<std::uint8_t> encoded;
  if (!WritePngRows(session, image, rows.data(), &encoded))
    return {};
  return encoded;
}

bool WritePng(const std::string& path, const Image& image, std::string& error)
{
  if (!ValidateImage(image, error))
  {
    error = path + ": " + error;
    return false;
  }
  const std::vector<std::uint8_t> encoded = EncodePng(image);
  if (encoded.empty())
  {
    error = path + ": PNG encoding failed";
    return false;
  }
  return WriteFileAtomically(path, encoded, error);
}

std::uint8_t LinearToSrgb8(Float linear)
{
  return static_cast<std::uint8_t>(std::lround(SrgbEncode(linear) * 255.0));
}

std::uint16_t LinearToSrgb16(Float linear)
{
  return static_cast<std::uint16_t>(std::lround(SrgbEncode(linear) * 65535.0));
}

std::uint16_t LinearToUnorm16(Float linear)
{
  return static_cast<std::uint16_t>(std::lround(Clamp01(linear) * 65535.0));
}

} // namespace qhost
