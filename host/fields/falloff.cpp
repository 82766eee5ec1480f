#include "host/fields/falloff.h"

#include <algorithm>
#include <cmath>

namespace qhost {
namespace {

// 1 at or below inner, 0 at or beyond outer, a smooth step between.
Float Weight(Float inner, Float outer, Float d)
{
  if (d <= inner)
    return 1.0;
  if (d >= outer)
    return 0.0;
  const Float t = (d - inner) / (outer - inner);
  return 1.0 - t * t * (3.0 - 2.0 * t);
}

Float Distance(FalloffShape shape, const Vector& p)
{
  switch (shape)
  {
    case FalloffShape::Spherical: return p.GetLength();
    case FalloffShape::Linear: return p.z;
    case FalloffShape::Box: return std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)});
  }
  return 0.0;
}

} // namespace

Float EvaluateFalloff(const Falloff& falloff, const Vector& worldPoint)
{
  const Vector local = falloff.worldToLocal * worldPoint;
  const Float w = Weight(falloff.inner, falloff.outer, Distance(falloff.shape, local));
  return (falloff.invert ? 1.0 - w : w) * falloff.strength;
}

} // namespace qhost
