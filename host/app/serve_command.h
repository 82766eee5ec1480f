// `quorvane serve`: the workbench, a local web server whose page shows the
// rock's attribute managers and a 3D view and rebuilds the rock as the user
// changes it.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddServeCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
