#include "host/geometry/mesh_validation.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "host/geometry/polygon_geometry.h"

namespace qhost {

namespace {

bool IsFinite(const Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void ValidatePolygon(const CPolygon& polygon, Int32 pointCount, std::size_t index)
{
  for (Int32 corner = 0; corner < 4; ++corner)
  {
    const Int32 point = CornerPoint(polygon, corner);
    if (point < 0 || point >= pointCount)
      throw std::invalid_argument("polygon " + std::to_string(index) + " uses point " + std::to_string(point) +
                                  " but the mesh has " + std::to_string(pointCount) + " points");
  }
  const Int32 corners = CornerCount(polygon);
  for (Int32 first = 0; first < corners; ++first)
    for (Int32 second = first + 1; second < corners; ++second)
      if (CornerPoint(polygon, first) == CornerPoint(polygon, second))
        throw std::invalid_argument("polygon " + std::to_string(index) + " is degenerate: it uses point " +
                                    std::to_string(CornerPoint(polygon, first)) + " twice");
}

void ValidateSelection(const NamedSelection& selection, std::size_t polygonCount)
{
  for (const Int32 polygon : selection.polygons)
    if (polygon < 0 || static_cast<std::size_t>(polygon) >= polygonCount)
      throw std::invalid_argument("selection '" + selection.name + "' names polygon " + std::to_string(polygon) +
                                  " but the mesh has " + std::to_string(polygonCount) + " polygons");
}

} // namespace

void ValidateMesh(const MeshData& mesh)
{
  const auto pointCount = static_cast<Int32>(mesh.points.size());
  for (std::size_t index = 0; index < mesh.points.size(); ++index)
    if (!IsFinite(mesh.points[index]))
      throw std::invalid_argument("point " + std::to_string(index) + " is not a finite position");
  for (std::size_t index = 0; index < mesh.polygons.size(); ++index)
    ValidatePolygon(mesh.polygons[index], pointCount, index);
  if (!mesh.uvs.empty() && mesh.uvs.size() != mesh.polygons.size())
    throw std::invalid_argument("the mesh has " + std::to_string(mesh.uvs.size()) + " UV entries for " +
                                std::to_string(mesh.polygons.size()) + " polygons");
  for (std::size_t index = 0; index < mesh.uvs.size(); ++index)
  {
    const UVWStruct& uv = mesh.uvs[index];
    if (!IsFinite(uv.a) || !IsFinite(uv.b) || !IsFinite(uv.c) || !IsFinite(uv.d))
      throw std::invalid_argument("polygon " + std::to_string(index) + " has a UV coordinate that is not finite");
  }
  for (const NamedSelection& selection : mesh.selections)
    ValidateSelection(selection, mesh.polygons.size());
}

} // namespace qhost
