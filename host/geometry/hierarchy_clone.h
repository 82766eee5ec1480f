// The hierarchy clone a generator asks for to read its input objects, with
// the change check that lets it keep its cache when nothing changed.
#pragma once

#include "host/geometry/object_node.h"

namespace qhost {

// GetAndCheckHierarchyClone of generator on op (with allchildren, op and its
// following siblings, grouped under a null). The caches of generators in the
// source are brought up to date first, then the stamp of the generator and the
// source (the generator's parameters and tags; for every object of the source
// its identity, its data, matrix and children counters, its tags and, for a
// generator, its cache) is compared with the one stored at the last call: when equal and the
// generator has a cache, *dirty is false and the cache is returned. Otherwise
// the stamp is stored, *dirty is true and a new clone is returned: with ASPOLY
// the current state (CurrentStateClone), else a plain copy. The caller owns a
// returned clone. Null (and *dirty false) when op is null or the clone fails.
BaseObject* HierarchyCloneFor(ObjectNode& generator, const HierarchyHelp* hh, ObjectNode* op, HIERARCHYCLONEFLAGS flags,
                              Bool* dirty, Bool allchildren);

} // namespace qhost
