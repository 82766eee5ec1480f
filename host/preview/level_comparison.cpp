#include "host/preview/level_comparison.h"

#include <algorithm>
#include <cmath>

#include "host/preview/mesh_preview.h"

namespace qhost {
namespace {

// Sum of |a - b| over the covered pixels' channels, divided by the channels.
double DifferenceSum(const Image& a, const Image& b, const std::vector<std::uint8_t>& covered)
{
  double sum = 0.0;
  for (std::size_t i = 0; i < covered.size(); ++i)
    if (covered[i])
      for (int k = 0; k < 3; ++k)
        sum += std::abs(int(a.samples[3 * i + k]) - int(b.samples[3 * i + k])) / 3.0;
  return sum;
}

void Paste(const Image& view, Int32 column, Int32 row, Image& picture)
{
  for (Int32 y = 0; y < view.height; ++y)
    std::copy_n(view.samples.begin() + std::ptrdiff_t(y) * view.width * 3, std::size_t(view.width) * 3,
                picture.samples.begin() +
                  ((std::ptrdiff_t(row) * view.height + y) * picture.width + std::ptrdiff_t(column) * view.width) * 3);
}

} // namespace

LevelShadingComparison CompareLevelShading(const TriangleMesh& detailed, const TriangleMesh& light,
                                           const Image& normalMap, const Image& occlusionMap, Int32 viewSize)
{
  constexpr Int32 kViews = Int32(std::size(kAllSidesViews));
  LevelShadingComparison result;
  result.picture = MakeImage(viewSize * kViews, viewSize * 3, 3, 8);
  PreviewOptions options;
  options.width = options.height = viewSize;
  options.frame = BoundingBox(detailed);
  double withMaps = 0.0, withoutMaps = 0.0, pixels = 0.0;
  for (Int32 column = 0; column < kViews; ++column)
  {
    options.view = kAllSidesViews[column];
    // Shading is compared where both meshes show; where their outlines
    // differ no map can help.
    std::vector<std::uint8_t> covered, lightCovered;
    PreviewOptions occluded = options;
    occluded.occlusionMap = &occlusionMap;
    const Image reference = RenderTrianglePreview(detailed, occluded, &covered);
    const Image bare = RenderTrianglePreview(light, options, &lightCovered);
    for (std::size_t i = 0; i < covered.size(); ++i)
      covered[i] &= lightCovered[i];
    PreviewOptions mapped = options;
    mapped.normalMap = &normalMap;
    mapped.occlusionMap = &occlusionMap;
    const Image withTheMaps = RenderTrianglePreview(light, mapped);
    withMaps += DifferenceSum(withTheMaps, reference, covered);
    withoutMaps += DifferenceSum(bare, reference, covered);
    pixels += double(std::count(covered.begin(), covered.end(), 1));
    Paste(reference, column, 0, result.picture);
    Paste(withTheMaps, column, 1, result.picture);
    Paste(bare, column, 2, result.picture);
  }
  result.withMaps = withMaps / std::max(pixels, 1.0);
  result.withoutMaps = withoutMaps / std::max(pixels, 1.0);
  return result;
}

} // namespace qhost
