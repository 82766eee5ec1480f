#include "host/runtime/families.h"

#include "host/core/core_services.h"
#include "host/description/track_labels.h"
#include "host/fields/fields_host.h"
#include "host/geometry/geometry_host.h"
#include "host/geometry/object_node.h"
#include "host/noise/noise_services.h"
#include "host/shading/shading_host.h"

namespace qhost {

void ConnectFamilies(HostInterface& interface, NodeFactory& factory)
{
  interface.geometry = &GeometryServicesInstance();
  RegisterGeometryTypes(factory);
  // Field objects are objects of the scene like any other.
  RegisterFieldTypes(factory, [](Int32 type) { return new ObjectNode(type); });
  interface.noise = &NoiseServicesInstance();
  // Layers evaluated in the host's parallel loops follow the caller's generator.
  static const bool forwarded = [] {
    AddThreadStateForwarding({ForwardedGenerator, InstallForwardedGenerator});
    return true;
  }();
  (void)forwarded;
  interface.shading = &ShadingServicesInstance();
  RegisterShadingTypes(factory);
  InstallTrackLabelResolver();
}

} // namespace qhost
