// Parallel loops: the host API side of the host's job system.
#pragma once

#include "hostapi/types.h"

// The host's job system: body(context, begin, end) is called for disjoint
// ranges that together cover [0, count), on the host's worker threads, and
// ParallelFor returns when every range is done. Ranges differ from run to run,
// so a body must give each index a result that does not depend on the others.
// body must not throw.
using ParallelForBody = void (*)(void* context, Int32 begin, Int32 end);
void ParallelFor(Int32 count, ParallelForBody body, void* context);

// The same for a callable body(begin, end).
template <typename Body>
void ParallelFor(Int32 count, const Body& body)
{
  ParallelFor(
    count, [](void* context, Int32 begin, Int32 end) { (*static_cast<const Body*>(context))(begin, end); },
    const_cast<void*>(static_cast<const void*>(&body)));
}
