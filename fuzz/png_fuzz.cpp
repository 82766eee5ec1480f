// Feeds arbitrary bytes to the host's PNG decoder. Whatever decodes must be
// an image of a supported shape within the size limits, with every sample in
// range for its bit depth; whatever is refused must say why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/core/input_error.h"
#include "host/core/png_decode.h"

namespace {

[[noreturn]] void Fail(const char* what)
{
  std::fprintf(stderr, "png_fuzz: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  try
  {
    const qhost::Image image = qhost::DecodePng({data, size}, "input.png");
    if ((image.channels != 3 && image.channels != 4) || (image.bitDepth != 8 && image.bitDepth != 16))
      Fail("decoded an unsupported layout");
    if (image.width <= 0 || image.height <= 0 || image.width > qhost::kMaxImageSide ||
        image.height > qhost::kMaxImageSide)
      Fail("decoded an image outside the size limits");
    if (image.samples.size() != std::size_t(image.width) * image.height * image.channels)
      Fail("sample count does not match the shape");
    if (image.bitDepth == 8)
      for (const std::uint16_t sample : image.samples)
        if (sample > 255)
          Fail("8-bit sample above 255");
  }
  catch (const qhost::InputError& e)
  {
    if (std::string(e.what()).empty())
      Fail("refused without a message");
  }
  return 0;
}
