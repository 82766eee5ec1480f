#include "host/io/png_image.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <png.h>
#include <stdexcept>

#include "host/core/png_decode.h"
#include "host/core/png_session.h"
#include "host/core/read_file.h"
#include "host/io/atomic_file.h"

namespace qhost {
namespace {

// Even stored uncompressed, the largest supported image fits in this.
constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t(1) << 30;

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

// What keeps an image of this shape from being made or stored; empty when
// nothing does.
std::string ShapeProblem(Int32 width, Int32 height, Int32 channels, Int32 bitDepth)
{
  if (channels != 3 && channels != 4)
    return "image has " + std::to_string(channels) + " channels; 3 or 4 are supported";
  if (bitDepth != 8 && bitDepth != 16)
    return "image bit depth " + std::to_string(bitDepth) + " is not 8 or 16";
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
      std::int64_t(width) * height > kMaxImagePixels)
    return "image size " + std::to_string(width) + "x" + std::to_string(height) + " is outside the supported range";
  return {};
}

// The same for an image in memory, whose samples must also fit its shape.
std::string ImageProblem(const Image& image)
{
  std::string problem = ShapeProblem(image.width, image.height, image.channels, image.bitDepth);
  if (!problem.empty())
    return problem;
  const std::size_t expected = static_cast<std::size_t>(image.width) * image.height * image.channels;
  if (image.samples.size() != expected)
    return "image has " + std::to_string(image.samples.size()) + " samples, expected " + std::to_string(expected);
  if (image.bitDepth == 8 && std::any_of(image.samples.begin(), image.samples.end(), [](auto s) { return s > 255; }))
    return "8-bit image holds samples above 255";
  return {};
}

} // namespace

Image MakeImage(Int32 width, Int32 height, Int32 channels, Int32 bitDepth)
{
  const std::string problem = ShapeProblem(width, height, channels, bitDepth);
  if (!problem.empty())
    throw std::runtime_error(problem);
  Image image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bitDepth = bitDepth;
  image.samples.assign(static_cast<std::size_t>(width) * height * channels, 0);
  return image;
}

Image ReadPng(const std::string& path)
{
  return DecodePng(ReadFileBytes(path, kMaxPngFileBytes), path);
}

std::vector<std::uint8_t> EncodePng(const Image& image)
{
  if (!ImageProblem(image).empty())
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

  PngSession session(false);
  if (!session.Ready())
    return {};
  std::vector<std::uint8_t> encoded;
  if (!WritePngRows(session, image, rows.data(), &encoded))
    return {};
  return encoded;
}

void WritePng(const std::string& path, const Image& image)
{
  const std::string problem = ImageProblem(image);
  if (!problem.empty())
    throw OutputError(path, problem);
  const std::vector<std::uint8_t> encoded = EncodePng(image);
  if (encoded.empty())
    throw OutputError(path, "PNG encoding failed");
  WriteFileAtomically(path, encoded);
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
