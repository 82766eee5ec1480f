// `quorvane noise-gallery`: every noise type as a labelled tile in one PNG.
#pragma once

#include <CLI/CLI.hpp>

namespace qhost::app {
void AddNoiseGalleryCommand(CLI::App& app);
} // namespace qhost::app
