#include "host/shading/shading_services.h"

#include "host/shading/color_space.h"
#include "host/shading/host_gradient.h"

namespace qhost {

Vector ShadingServicesImpl::RGBToHSV(const Vector& rgb) { return RgbToHsv(rgb); }
Vector ShadingServicesImpl::HSVToRGB(const Vector& hsv) { return HsvToRgb(hsv); }
const GradientRenderData* ShadingServicesImpl::DefaultGradientRenderData() { return DefaultGradientLookup(); }

ShadingServices& ShadingServicesInstance()
{
  static ShadingServicesImpl services;
  return services;
}

} // namespace qhost
