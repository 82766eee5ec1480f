// The noise library behind the host API: GeNoise and the global noise functions.
#pragma once

#include "hostapi/host_interface.h"

namespace qhost {
NoiseServices& NoiseServicesInstance();

// The generator the global noise functions follow on this thread, for the
// host's parallel loops to carry into their workers: ForwardedGenerator on
// the calling thread, InstallForwardedGenerator on a worker (returns what it
// replaced). A generator of the worker's own, allocated later, still wins.
void* ForwardedGenerator();
void* InstallForwardedGenerator(void* generator);
} // namespace qhost
