// The noise library behind the host API: GeNoise and the global noise functions.
#pragma once

#include "hostapi/host_interface.h"

namespace qhost {
NoiseServices& NoiseServicesInstance();
} // namespace qhost
