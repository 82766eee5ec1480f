// `quorvane asset`: a finished game asset from one rock build: levels of
// detail sharing one UV layout, maps baked from the full mesh, one GLB.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddAssetCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
