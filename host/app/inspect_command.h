// `quorvane inspect FILE [--strict]`: a quality report of a mesh file.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddInspectCommand(CLI::App& app);
} // namespace qhost::app
