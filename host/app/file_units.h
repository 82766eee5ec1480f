// `--unit` and `--up`: the unit a user works in and the frame of the OBJ and
// PLY files a command reads and writes. glTF files are always metres, Y up.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "host/io/mesh_frame.h"

namespace qhost::app {

struct FileUnitOptions
{
  std::string unit = "m";
  std::string up = "y";
};

// Adds --unit m|cm|mm and, with upOption, --up y|z to cmd.
void AddFileUnitOptions(CLI::App* cmd, FileUnitOptions& options, bool upOption);

// The frame the options name; throws UsageError naming the option.
MeshFileFrame ResolveFileFrame(const FileUnitOptions& options);

} // namespace qhost::app
