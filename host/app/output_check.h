// Outputs are checked before any work starts, so that a run that cannot
// write its result fails at once and writes nothing.
#pragma once

#include <string>

namespace qhost::app {

// Throws UsageError naming option and path when path is a folder, or its
// folder does not exist or cannot be written to.
void CheckOutputPath(const std::string& path, const std::string& option);

} // namespace qhost::app
