// `quorvane texture`: bakes the Quorvane shader over UV space into a PNG.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddTextureCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
