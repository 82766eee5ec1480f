// `quorvane rock`: the main job. A Quorvane Maker with a child (a cube, or a
// mesh file), parameters and layer buttons applied, the cache built and
// written as OBJ, PLY or glTF.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddRockCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);
} // namespace qhost::app
