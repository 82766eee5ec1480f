// The current state of an object hierarchy as plain objects: what modeling
// commands and generators work on instead of the live scene.
#pragma once

#include "host/geometry/object_node.h"

namespace qhost {

// A new, unlinked copy of op's hierarchy in which every generator is replaced
// by a copy of its cache (built if missing; an empty null when it has none),
// named like the generator, with the generator's matrix applied to the cache's
// own (the cache's matrix is the identity for the built-in primitives, so the
// copy then has the generator's local matrix). An OBJECT_INPUT generator's
// children are left out (they are in its cache); other objects are copied
// with their tags and their children converted the same way. Null on failure.
ObjectNode* CurrentStateClone(ObjectNode& op, BaseDocument* doc);

} // namespace qhost
