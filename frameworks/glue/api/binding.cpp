// The host this copy of the glue forwards to.
#include "hostapi/host_interface.h"
#include "glue/api/bound_host.h"

namespace {
const HostInterface* g_host = nullptr;
} // namespace

void BindHostInterface(const HostInterface* host) { g_host = host; }
const HostInterface* GetHostInterface() { return g_host; }

namespace glue {
const HostInterface& Host() { return *g_host; }
} // namespace glue
