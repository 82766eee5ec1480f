// The mesh report as a person reads it on a terminal.
#pragma once

#include <string>

#include "host/inspect/mesh_report.h"

namespace qhost {

// The host's length unit is the centimetre.
constexpr Float kHostUnitsPerMetre = 100.0;

// One "name: value" line per figure, the bounding box in metres, and a last
// line "defects: none" or listing the kinds of defect found.
std::string FormatMeshReport(const MeshReport& report);

} // namespace qhost
