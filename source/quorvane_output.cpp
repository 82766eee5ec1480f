// Per-sample evaluation of the shader: pattern, gradient position, gradient
// colour, colour correction. Runs on many render threads at once; reads only
// the per-render state and allocates nothing.
#include <algorithm>
#include <cmath>

#include "quorvane_shader.h"
#include "scalar_math.h"
#include "xquorvane_ids.h"

namespace {

constexpr Float kTurbulenceOctaves = 5.0;
constexpr Float kColorLowEnd = 0.05;
constexpr Float kHeightLowEnd = 0.0;
constexpr Float kHighEnd = 1.0;
constexpr Float kContrastPivot = 0.5;

// The remap of the pattern value onto [lowEnd, 1]. With clip 0.5 the source
// range is empty and the remap has no finite value; the limit of the remap as
// the range closes is a step at the clip value, which is what we return.
Float GradientPosition(Float clip, Float lowEnd, Float u)
{
  const Float from0 = clip;
  const Float from1 = 1.0 - clip;
  if (from0 == from1)
    return u > clip ? kHighEnd : lowEnd;
  return remap(from0, from1, lowEnd, kHighEnd, u);
}

Vector CorrectColour(const Vector& g, Float contrast, Float brightness, Float saturation, Float gamma)
{
  const auto adjust = [&](Float x) { return (x - kContrastPivot) * (1.0 + contrast) + kContrastPivot + brightness; };
  Vector hsv = RGBToHSV(Vector(adjust(g.x), adjust(g.y), adjust(g.z)));
  hsv.y = std::min(1.0, std::max(0.0, hsv.y * saturation + hsv.y));
  const Vector c = HSVToRGB(hsv);
  // pow(x, 1) is x exactly; the default gamma skips three pow calls per sample.
  if (gamma == 1.0)
    return c;
  return Vector(std::pow(c.x, gamma), std::pow(c.y, gamma), std::pow(c.z, gamma));
}

} // namespace

Vector QuorvaneShader::Output(const BaseShader* /*sh*/, ChannelData* cd) const
{
  Vector w(1.0);
  if (cellNoise)
    w = cellNoise->Sample(cd);
  if (detailNoise)
    w = MulComponents(w, detailNoise->Sample(cd));
  const Float u = w.x;

  const Float n = Turbulence(cd->p * noiseScale, kTurbulenceOctaves, true);

  Float pos = 0.0;
  const Gradient* gradient = nullptr;
  if (mode == XQUORVANE_MODE_COLOR)
  {
    pos = GradientPosition(clip, kColorLowEnd, u);
    pos = pos + (n - pos) * turbulenceMix;
    gradient = colorGradient;
  }
  else
  {
    pos = GradientPosition(clip, kHeightLowEnd, u);
    gradient = heightGradient;
  }

  // No gradient (never prepared, or the parameter holds none) is black, like a
  // gradient that cannot be prepared.
  if (!gradient)
    return Vector();
  const InitRenderStruct irs;
  Result<GradientRenderDataRef> prepared = gradient->PrepareRenderData(irs);
  if (prepared.HasError())
    return Vector();
  const GradientRenderData* lookup = prepared.GetValue().Get();
  if (!lookup)
    lookup = GetDefaultGradientRenderData();
  const Vector g = lookup ? lookup->CalcGradientPixel(pos) : Vector();
  return CorrectColour(g, contrast, brightness, saturation, gamma);
}
