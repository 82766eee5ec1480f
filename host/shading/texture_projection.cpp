#include "host/shading/texture_projection.h"

#include <algorithm>
#include <cmath>

namespace qhost {

std::optional<TextureProjection> ParseTextureProjection(std::string_view text)
{
  if (text == "uv")
    return TextureProjection::Uv;
  if (text == "solid")
    return TextureProjection::Solid;
  return std::nullopt;
}

SolidFrame SolidFrame::Fit(std::span<const Vector> points)
{
  SolidFrame frame;
  if (points.empty())
    return frame;
  Vector low = points.front();
  Vector high = points.front();
  for (const Vector& p : points)
  {
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  frame.centre_ = (low + high) * 0.5;
  const Float longest = std::max({high.x - low.x, high.y - low.y, high.z - low.z});
  if (longest > 0.0 && std::isfinite(longest))
    frame.scale_ = 1.0 / longest;
  return frame;
}

} // namespace qhost
