#include "host/core/build_break.h"

namespace qhost {
namespace {

thread_local const BreakCheck* tl_check = nullptr;

} // namespace

BreakCheckScope::BreakCheckScope(const BreakCheck& check) : previous_(tl_check) { tl_check = &check; }

BreakCheckScope::~BreakCheckScope() { tl_check = previous_; }

const BreakCheck* CurrentBreakCheck() { return tl_check; }

bool BreakRequested(const BreakCheck* check) { return check && *check && (*check)(); }

bool BreakRequested() { return BreakRequested(tl_check); }

void ThrowIfBreakRequested()
{
  if (BreakRequested())
    throw BuildBrokenOff();
}

} // namespace qhost
