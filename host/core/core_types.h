// Registers the node types of the core: documents, render settings, tracks.
#pragma once

#include "host/core/node_factory.h"

namespace qhost {
void RegisterCoreTypes(NodeFactory& factory);
} // namespace qhost
