// Plain polygon mesh data shared by the host's geometry algorithms and the
// mesh file readers and writers. No nodes, no containers.
#pragma once

#include <string>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// A named set of polygon indices (a polygon selection), sorted ascending.
struct NamedSelection
{
  std::string name;
  std::vector<Int32> polygons;
};

struct MeshData
{
  std::vector<Vector> points;
  std::vector<CPolygon> polygons;
  // Either empty or one entry per polygon (corners a, b, c, d).
  std::vector<UVWStruct> uvs;
  std::vector<NamedSelection> selections;

  bool HasUVs() const { return !uvs.empty() && uvs.size() == polygons.size(); }
};

} // namespace qhost
