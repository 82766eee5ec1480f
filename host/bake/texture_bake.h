// Bakes a shader into an image, on all cores.
//
// The shader is prepared once (InitRender with the document), sampled from
// every worker thread at once, once per pixel, and released once, also when
// the bake fails or is cancelled. The texture position of a pixel is its
// centre on the unit UV square, p = (u, v, 0) with n = (0, 0, 1), or, when the
// caller hands positions over (a solid projection of a surface), the pixel's
// own position and normal. The result does not depend on the thread count.
#pragma once

#include <span>
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
  // Empty, or one texture position and one normal per pixel, row 0 at the
  // top; not owned, must outlive the bake.
  std::span<const Vector> positions;
  std::span<const Vector> normals;
  ProgressFn progress; // may be empty; returning false cancels
};

// An RGB image of the shader's colours, clamped to [0, 1]. Throws
// std::invalid_argument when the positions or normals do not match the size,
// and std::runtime_error when the size is unsupported, the shader cannot be
// prepared or the bake was cancelled.
Image BakeShaderTexture(BaseShader& shader, BaseDocument* doc, const TextureBakeOptions& options);

// Bakes the shader of one of the material's channels; throws
// std::invalid_argument when the channel does not exist or holds no shader.
Image BakeMaterialChannel(BaseMaterial& material, Int32 channel, const TextureBakeOptions& options);

} // namespace qhost
