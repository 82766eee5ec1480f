#include "host/io/mesh_frame.h"

namespace qhost {
namespace {

// Z-up files are turned about the X axis by a quarter turn, the way Z-up
// modelling applications convert to and from Y-up: host (x, y, z) is file
// (x, -z, y). A rotation keeps every polygon's winding.
Vector RotateToFile(const Vector& v, UpAxis up) { return up == UpAxis::Z ? Vector(v.x, -v.z, v.y) : v; }
Vector RotateFromFile(const Vector& v, UpAxis up) { return up == UpAxis::Z ? Vector(v.x, v.z, -v.y) : v; }

} // namespace

Vector MeshFileFrame::PointToFile(const Vector& host) const
{
  return RotateToFile(host, up) / unit.hostUnits;
}

Vector MeshFileFrame::PointFromFile(const Vector& file) const
{
  return RotateFromFile(file, up) * unit.hostUnits;
}

Vector MeshFileFrame::DirectionToFile(const Vector& host) const { return RotateToFile(host, up); }

} // namespace qhost
