#include "host/app/inspect_command.h"

#include <iostream>

#include "host/app/app_context.h"
#include "host/app/file_units.h"
#include "host/inspect/report_text.h"
#include "host/io/mesh_file.h"

namespace qhost::app {
namespace {

// Exit code of `--strict` when the mesh has a defect: apart from 1 (the
// command failed) and 2 (bad input), so scripts can tell them apart.
constexpr int kDefectsFound = 3;

} // namespace

void AddInspectCommand(CLI::App& app)
{
  struct Options
  {
    std::string file;
    bool strict = false;
    FileUnitOptions units;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("inspect", "Report a mesh file's points, faces, holes, folds, "
                                                "self-intersections and size (OBJ, PLY, glTF, GLB)");
  cmd->add_option("FILE", options->file, "Mesh file to inspect")->required();
  cmd->add_flag("--strict", options->strict, "Exit with code 3 when any defect is found");
  AddFileUnitOptions(cmd, options->units, true);
  cmd->callback([options] {
    const MeshFileFrame frame = ResolveFileFrame(options->units);
    const MeshData mesh = ReadMesh(options->file, frame);
    const MeshReport report = InspectMesh(mesh);
    std::cout << "file: " << options->file << "\n" << FormatMeshReport(report, kMetre.hostUnits);
    if (options->strict && report.HasDefects())
      throw CommandExit{kDefectsFound};
  });
}

} // namespace qhost::app
