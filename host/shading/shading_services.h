// The shading part of the host interface: colour conversions and the default
// gradient lookup.
#pragma once

#include "hostapi/host_interface.h"

namespace qhost {

class ShadingServicesImpl final : public ShadingServices
{
public:
  Vector RGBToHSV(const Vector& rgb) override;
  Vector HSVToRGB(const Vector& hsv) override;
  // A black-to-white linear ramp; see DefaultGradientLookup.
  const GradientRenderData* DefaultGradientRenderData() override;
};

ShadingServices& ShadingServicesInstance();

} // namespace qhost
