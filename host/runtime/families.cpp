#include "host/runtime/families.h"

#include "host/description/track_labels.h"
#include "host/geometry/geometry_host.h"
#include "host/noise/noise_services.h"

namespace qhost {

void ConnectFamilies(HostInterface& interface, NodeFactory& factory)
{
  interface.geometry = &GeometryServicesInstance();
  RegisterGeometryTypes(factory);
  interface.noise = &NoiseServicesInstance();
  InstallTrackLabelResolver();
}

} // namespace qhost
