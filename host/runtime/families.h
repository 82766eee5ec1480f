// Connects the host's families (geometry, noise, shading, fields, descriptions)
// to the interface record and the node factory.
#pragma once

#include "host/core/node_factory.h"

namespace qhost {
void ConnectFamilies(HostInterface& interface, NodeFactory& factory);
} // namespace qhost
