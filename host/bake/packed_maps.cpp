#include "host/bake/packed_maps.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace qhost {
namespace {

std::uint16_t ToUnorm8(Float value)
{
  return std::uint16_t(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

Float RoughnessFromHeight(Float height)
{
  return 0.95 - 0.35 * std::clamp(height, 0.0, 1.0);
}

Image PackOcclusionRoughnessMetalness(std::span<const float> occlusion, const Image& height)
{
  assert(occlusion.size() == std::size_t(height.width) * std::size_t(height.height));
  const Float heightScale = height.bitDepth == 16 ? 65535.0 : 255.0;
  Image packed;
  packed.width = height.width;
  packed.height = height.height;
  packed.channels = 3;
  packed.bitDepth = 8;
  packed.samples.resize(3 * occlusion.size());
  for (std::size_t i = 0; i < occlusion.size(); ++i)
  {
    packed.samples[3 * i] = ToUnorm8(occlusion[i]);
    packed.samples[3 * i + 1] = ToUnorm8(RoughnessFromHeight(height.samples[i * height.channels] / heightScale));
    packed.samples[3 * i + 2] = 0;
  }
  return packed;
}

} // namespace qhost
