// Outputs are checked before any work starts, so that a run that cannot
// write its result fails at once and writes nothing.
#pragma once

#include <string>
#include <vector>

namespace qhost::app {

// Throws UsageError naming option and path when path is a folder, or its
// folder does not exist or cannot be written to.
void CheckOutputPath(const std::string& path, const std::string& option);

struct NamedOutput
{
  std::string option; // the option that names it, as the user typed it
  std::string path;   // empty: the run does not write this output
};

// Throws UsageError naming both options when two outputs of one run are the
// same file, which would leave only the one written last.
void CheckDistinctOutputs(const std::vector<NamedOutput>& outputs);

} // namespace qhost::app
