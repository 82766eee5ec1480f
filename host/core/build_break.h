// Breaking off a build that is no longer wanted. The application installs a
// check on the thread that runs a build (BreakCheckScope); the host's long
// operations ask BreakRequested() where they can stop cleanly: a parallel
// loop between its ranges, a modeling command before it starts, a texture
// bake between its rows. A build broken off that way has no valid result and
// its caller drops it. Without a check (every command-line job) nothing is
// ever broken off, so every result is what it was.
#pragma once

#include <functional>
#include <stdexcept>

namespace qhost {

// True once the build should stop; called from several threads at once.
using BreakCheck = std::function<bool()>;

// Installs check on this thread for the scope's life; nested scopes restore
// the one before. check must outlive the scope.
class BreakCheckScope
{
public:
  explicit BreakCheckScope(const BreakCheck& check);
  ~BreakCheckScope();
  BreakCheckScope(const BreakCheckScope&) = delete;
  BreakCheckScope& operator=(const BreakCheckScope&) = delete;

private:
  const BreakCheck* previous_;
};

// This thread's check, or null; a parallel loop hands it to its workers.
const BreakCheck* CurrentBreakCheck();
// Whether check says stop (false for null).
bool BreakRequested(const BreakCheck* check);
// Whether this thread's check says stop.
bool BreakRequested();

// Thrown by a long host operation that stops part way because its build was
// broken off; its caller reports a failure, which the build's owner drops.
struct BuildBrokenOff : std::runtime_error
{
  BuildBrokenOff() : std::runtime_error("broken off") {}
};
// Throws BuildBrokenOff when this thread's check says stop.
void ThrowIfBreakRequested();

} // namespace qhost
