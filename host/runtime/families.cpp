#include "host/runtime/families.h"

#include "host/noise/noise_services.h"

namespace qhost {

void ConnectFamilies(HostInterface& interface, NodeFactory& /*factory*/)
{
  interface.noise = &NoiseServicesInstance();
}

} // namespace qhost
