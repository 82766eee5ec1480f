#include "host/app/file_units.h"

#include "host/app/app_context.h"

namespace qhost::app {

void AddFileUnitOptions(CLI::App* cmd, FileUnitOptions& options, bool upOption)
{
  cmd->add_option("--unit", options.unit,
                  "Length unit of OBJ and PLY files and of lengths typed on the command line: m, cm or mm "
                  "(glTF is always m)")
      ->capture_default_str();
  if (upOption)
    cmd->add_option("--up", options.up, "Up axis of OBJ and PLY files: y or z (glTF is always y)")
        ->capture_default_str();
}

MeshFileFrame ResolveFileFrame(const FileUnitOptions& options)
{
  MeshFileFrame frame;
  const std::optional<LengthUnit> unit = FindLengthUnit(options.unit);
  if (!unit)
    throw UsageError("--unit " + options.unit + ": expected m, cm or mm");
  frame.unit = *unit;
  if (options.up == "y" || options.up == "Y")
    frame.up = UpAxis::Y;
  else if (options.up == "z" || options.up == "Z")
    frame.up = UpAxis::Z;
  else
    throw UsageError("--up " + options.up + ": expected y or z");
  return frame;
}

} // namespace qhost::app
