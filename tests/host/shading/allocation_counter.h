// Every allocation of the shading test executable is counted, so a test can
// tell whether a piece of code touched the heap.
#pragma once

namespace qhost::test {

// Calls of the global operator new so far, from every thread.
long AllocationCount();

} // namespace qhost::test
