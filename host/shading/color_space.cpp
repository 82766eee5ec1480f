#include "host/shading/color_space.h"

#include <algorithm>
#include <cmath>

namespace qhost {

namespace {

// Below this saturation a colour is treated as grey and its hue as meaningless.
constexpr Float kGreySaturation = 0.001;

} // namespace

Vector RgbToHsv(const Vector& rgb)
{
  const Float maxC = std::max({rgb.x, rgb.y, rgb.z});
  const Float minC = std::min({rgb.x, rgb.y, rgb.z});
  if (!(maxC > 0.0))
    return Vector();
  const Float delta = maxC - minC;
  const Float s = delta / maxC;
  if (s < kGreySaturation)
    return Vector(0.0, 0.0, minC);

  // Position inside the six-sector hexagon, in sectors.
  Float sector = 0.0;
  if (maxC == rgb.x)
    sector = (rgb.y - rgb.z) / delta;
  else if (maxC == rgb.y)
    sector = 2.0 + (rgb.z - rgb.x) / delta;
  else
    sector = 4.0 + (rgb.x - rgb.y) / delta;
  Float h = sector / 6.0;
  if (h < 0.0)
    h += 1.0;
  // A hue a hair below zero rounds up to exactly one after the wrap.
  if (h >= 1.0)
    h -= 1.0;
  return Vector(h, s, maxC);
}

Vector HsvToRgb(const Vector& hsv)
{
  const Float s = hsv.y;
  const Float v = hsv.z;
  if (s < kGreySaturation)
    return Vector(v);

  const Float h = std::isfinite(hsv.x) ? hsv.x - std::floor(hsv.x) : 0.0;
  const Float scaled = h * 6.0;
  // h just below 1 can round to 6 sectors; that is sector 0 again.
  const Int32 sector = static_cast<Int32>(scaled) % 6;
  const Float f = scaled - std::floor(scaled);
  const Float p = v * (1.0 - s);
  const Float q = v * (1.0 - s * f);
  const Float t = v * (1.0 - s * (1.0 - f));
  switch (sector)
  {
  case 0: return {v, t, p};
  case 1: return {q, v, p};
  case 2: return {p, v, t};
  case 3: return {p, q, v};
  case 4: return {t, p, v};
  default: return {v, p, q};
  }
}

Float SrgbToLinear(Float encoded)
{
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

} // namespace qhost
