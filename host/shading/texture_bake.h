// Bakes a shader over the unit UV square into an image, on all cores.
//
// The shader is prepared once (InitRender with the document), sampled from
// every worker thread at once at the pixel centres with p = (u, v, 0) and
// n = (0, 0, 1), and released once, also when the bake fails or is cancelled.
// The result does not depend on the thread count.
#pragma once

#include <string>

#include "hostapi/shading.h"
#include "host/io/png_image.h"
#include "host/shading/uv_baker.h"

namespace qhost {

enum class TextureKind
{
  Color,  // 8 bits per channel on the sRGB curve
  Height, // 16 bits per channel, linear
};

struct TextureBakeOptions
{
  Int32 width = 512;
  Int32 height = 512;
  Int32 threads = 0; // 0 or less: one per core
  TextureKind kind = TextureKind::Color;
  ProgressFn progress; // may be empty; returning false cancels
};

// Fills image (RGB) with the shader's colours, clamped to [0, 1]. False with
// error set when the size is unsupported, the shader cannot be prepared or
// the bake was cancelled.
bool BakeShaderTexture(BaseShader& shader, BaseDocument* doc, const TextureBakeOptions& options, Image& image,
                       std::string& error);

// Bakes the shader of one of the material's channels; fails when the channel
// does not exist or holds no shader.
bool BakeMaterialChannel(BaseMaterial& material, Int32 channel, const TextureBakeOptions& options, Image& image,
                         std::string& error);

} // namespace qhost
