// `quorvane describe`: a plug-in node as the attribute manager shows it, after
// optional layer changes and button presses.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddDescribeCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
