// The options that say which rock to build, shared by every command that
// builds one: a named preset, the generator's child (--input, --primitive or
// --scene), its parameters (--set), layer buttons, fields and the file units. Read and
// checked before any module is loaded; turned into a ready scene afterwards.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "host/app/field_argument.h"
#include "host/app/file_units.h"
#include "host/app/parameter_assignment.h"
#include "host/app/rock_scene.h"
#include "host/io/mesh_frame.h"

namespace qhost::app {

struct RockBuildOptions
{
  std::string preset;
  std::string input;
  std::string scene;
  std::string primitive; // empty: the preset's child, else a cube, unless --input or --scene gives it
  std::vector<std::string> sets;
  std::vector<std::string> fields;
  int addLayers = 0;
  int removeLayers = 0;
  FileUnitOptions units;
};

// What the options ask for, parsed and checked.
struct RockBuildJob
{
  MeshFileFrame frame;
  Int32 primitive = 0;
  std::vector<FieldArgument> fields;
  std::vector<Assignment> assignments;
};

// Adds the rock-build options to cmd.
void AddRockBuildOptions(CLI::App* cmd, RockBuildOptions& options);

// Parses and checks the options; throws UsageError naming the option at fault.
RockBuildJob CheckRockBuildOptions(const RockBuildOptions& options);

// The scene the options describe: the preset (found beside the modules of
// pluginsFolder) or scene file or a new generator, the child from --input or
// --primitive, then layer buttons pressed, fields added and parameters
// assigned, ready to build. The modules must be loaded.
RockScene PrepareRockScene(const RockBuildOptions& options, const RockBuildJob& job, const std::string& pluginsFolder);

} // namespace qhost::app
