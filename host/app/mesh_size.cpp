#include "host/app/mesh_size.h"

#include <algorithm>
#include <cstdio>

#include "host/core/length_unit.h"

namespace qhost::app {

std::string SizeInMetres(const MeshData& mesh)
{
  if (mesh.points.empty())
    return "empty";
  Vector low = mesh.points.front(), high = low;
  for (const Vector& p : mesh.points)
  {
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  const Vector size = (high - low) / kMetre.hostUnits;
  char text[96];
  std::snprintf(text, sizeof(text), "%.2f x %.2f x %.2f m", size.x, size.y, size.z);
  return text;
}

} // namespace qhost::app
