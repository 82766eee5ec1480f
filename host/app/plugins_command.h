// `quorvane plugins`: the registered plug-ins of every module.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddPluginsCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
