// The occlusion, roughness and metalness map as glTF reads it: one linear
// RGB image, occlusion in red, roughness in green, metalness in blue.
#pragma once

#include <span>

#include "host/core/image.h"

namespace qhost {

// Roughness of rock from the shader's height: worn high points are smoother
// than the dust and grit that collect in low ones. Height 0 (the lowest) gives
// 0.95, height 1 gives 0.6, linearly; heights outside [0, 1] are clamped.
Float RoughnessFromHeight(Float height);

// Packs per-texel occlusion in [0, 1] (row 0 at the top) and the shader's
// height map (16-bit linear, channel 0 read) into an 8-bit RGB image with
// metalness 0: rock is a dielectric. Sizes must agree.
Image PackOcclusionRoughnessMetalness(std::span<const float> occlusion, const Image& height);

} // namespace qhost
