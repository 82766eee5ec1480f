// Registers field lists and the field objects with the host.
#pragma once

#include <functional>

#include "host/core/node_factory.h"

namespace qhost {
// makeObject creates the host's object node of a type (field objects are objects).
void RegisterFieldTypes(NodeFactory& factory, const std::function<NodeCore*(Int32 type)>& makeObject);
} // namespace qhost
