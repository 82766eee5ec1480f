#include "host/inspect/report_text.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace qhost {
namespace {

std::string Metres(const Vector& v, Float hostUnitsPerMetre)
{
  char text[96];
  std::snprintf(text, sizeof text, "%.4f %.4f %.4f", v.x / hostUnitsPerMetre, v.y / hostUnitsPerMetre,
                v.z / hostUnitsPerMetre);
  return text;
}

} // namespace

std::string FormatMeshReport(const MeshReport& r, Float hostUnitsPerMetre)
{
  const std::vector<std::pair<const char*, std::int64_t>> defects = {
      {"boundary edges", r.boundaryEdges},       {"non-manifold edges", r.nonManifoldEdges},
      {"inconsistent winding edges", r.inconsistentEdges}, {"folded edges", r.foldedEdges},
      {"turned faces", r.turnedFaces},           {"degenerate faces", r.degenerateFaces},
      {"self-intersecting face pairs", r.selfIntersections}};
  std::string text;
  text += "points: " + std::to_string(r.points) + " (" + std::to_string(r.weldedPoints) + " distinct positions)\n";
  text += "faces: " + std::to_string(r.faces) + "\n";
  text += std::string("closed: ") + (r.Closed() ? "yes" : "no") + "\n";
  for (const auto& [name, count] : defects)
    text += std::string(name) + ": " + std::to_string(count) + "\n";
  text += "bounding box min (m): " + Metres(r.boxMin, hostUnitsPerMetre) + "\n";
  text += "bounding box max (m): " + Metres(r.boxMax, hostUnitsPerMetre) + "\n";
  text += "size (m): " + Metres(r.boxMax - r.boxMin, hostUnitsPerMetre) + "\n";
  std::string found;
  for (const auto& [name, count] : defects)
    if (count > 0)
      found += (found.empty() ? "" : ", ") + std::string(name);
  text += "defects: " + (found.empty() ? std::string("none") : found) + "\n";
  return text;
}

} // namespace qhost
