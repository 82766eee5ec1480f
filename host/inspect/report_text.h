// The mesh report as a person reads it on a terminal.
#pragma once

#include <string>

#include "host/inspect/mesh_report.h"

namespace qhost {

// One "name: value" line per figure, the bounding box in metres (the report
// holds host units), and a last line "defects: none" or listing the kinds of
// defect found.
std::string FormatMeshReport(const MeshReport& report, Float hostUnitsPerMetre);

} // namespace qhost
