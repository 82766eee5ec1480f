// `quorvane presets`: the named rocks `--preset` takes, and where their scene
// files are.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddPresetsCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
