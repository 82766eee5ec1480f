// The coordinate frame of a mesh file: its length unit and its up axis.
//
// The host works in centimetres with +Y up (the default cube is 200 units,
// 2 m, across). Files are converted only where they are read or written, so
// every mesh inside the host and the module is in host units. glTF is always
// metres with +Y up, as its standard says; OBJ and PLY may be either.
#pragma once

#include "host/core/length_unit.h"

namespace qhost {

enum class UpAxis
{
  Y,
  Z,
};

struct MeshFileFrame
{
  LengthUnit unit = kMetre;
  UpAxis up = UpAxis::Y;

  // A host point in the file's frame, and back.
  Vector PointToFile(const Vector& host) const;
  Vector PointFromFile(const Vector& file) const;
  // A direction (a normal) in the file's frame; lengths are unchanged.
  Vector DirectionToFile(const Vector& host) const;
};

// The frame every glTF file uses.
inline constexpr MeshFileFrame kGltfFrame{kMetre, UpAxis::Y};

} // namespace qhost
