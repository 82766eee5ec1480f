// Access to the bound host for the glue's forwarding functions.
#pragma once

#include "hostapi/host_interface.h"

namespace glue {
// The bound host; calling the API before a host is bound is a programming error.
const HostInterface& Host();
} // namespace glue
