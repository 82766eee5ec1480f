#include "host/geometry/primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace qhost {

namespace {

Float& Axis(Vector& v, Int32 axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// One box side as a grid spanned by two axes; u x v is the outward normal, so
// grid cells walked (s,t) -> (s+1,t) -> (s+1,t+1) -> (s,t+1) wind outwards.
struct CubeFace
{
  Int32 normalAxis;
  bool normalPositive;
  Int32 uAxis;
  bool uPositive;
  Int32 vAxis;
  bool vPositive;
  Int32 uvColumn;
  Int32 uvRow;
};

constexpr std::array<CubeFace, 6> kCubeFaces = {{
  {0, true, 2, false, 1, true, 0, 0},   // +X: u = -Z, v = +Y
  {0, false, 2, true, 1, true, 1, 0},   // -X: u = +Z, v = +Y
  {1, true, 0, true, 2, false, 2, 0},   // +Y: u = +X, v = -Z
  {1, false, 0, true, 2, true, 0, 1},   // -Y: u = +X, v = +Z
  {2, true, 0, true, 1, true, 1, 1},    // +Z: u = +X, v = +Y
  {2, false, 0, false, 1, true, 2, 1},  // -Z: u = -X, v = +Y
}};
constexpr Float kCubeUVColumns = 3.0;
constexpr Float kCubeUVRows = 2.0;

// Appends the quads of a (segU x segV) grid whose corner points come from
// pointAt(s, t) and whose local texture coordinates (s/segU, 1 - t/segV) are
// mapped through uvAt.
template <typename PointAt, typename UVAt>
void AppendGrid(MeshData& mesh, Int32 segU, Int32 segV, PointAt&& pointAt, UVAt&& uvAt)
{
  auto localUV = [&](Int32 s, Int32 t) {
    return uvAt(Vector(static_cast<Float>(s) / segU, 1.0 - static_cast<Float>(t) / segV, 0.0));
  };
  for (Int32 t = 0; t < segV; ++t)
  {
    for (Int32 s = 0; s < segU; ++s)
    {
      mesh.polygons.emplace_back(pointAt(s, t), pointAt(s + 1, t), pointAt(s + 1, t + 1), pointAt(s, t + 1));
      mesh.uvs.push_back({localUV(s, t), localUV(s + 1, t), localUV(s + 1, t + 1), localUV(s, t + 1)});
    }
  }
}

} // namespace

MeshData MakeCube(Vector size, Int32 segX, Int32 segY, Int32 segZ)
{
  const std::array<Int32, 3> segments = {std::clamp(segX, 1, kMaxPrimitiveSegments),
                                         std::clamp(segY, 1, kMaxPrimitiveSegments),
                                         std::clamp(segZ, 1, kMaxPrimitiveSegments)};
  MeshData mesh;

  // Border points belong to several faces; a lattice-coordinate lookup makes
  // them shared so the box is watertight.
  std::unordered_map<Int64, Int32> latticeToPoint;
  auto latticePoint = [&](const std::array<Int32, 3>& lattice) {
    const Int64 key = (static_cast<Int64>(lattice[0]) * (segments[1] + 1) + lattice[1]) * (segments[2] + 1) + lattice[2];
    const auto [it, inserted] = latticeToPoint.try_emplace(key, static_cast<Int32>(mesh.points.size()));
    if (inserted)
    {
      Vector position;
      for (Int32 axis = 0; axis < 3; ++axis)
        Axis(position, axis) = (static_cast<Float>(lattice[axis]) / segments[axis] - 0.5) * Axis(size, axis);
      mesh.points.push_back(position);
    }
    return it->second;
  };

  for (const CubeFace& face : kCubeFaces)
  {
    const Int32 segU = segments[face.uAxis];
    const Int32 segV = segments[face.vAxis];
    auto pointAt = [&](Int32 s, Int32 t) {
      std::array<Int32, 3> lattice{};
      lattice[face.normalAxis] = face.normalPositive ? segments[face.normalAxis] : 0;
      lattice[face.uAxis] = face.uPositive ? s : segU - s;
      lattice[face.vAxis] = face.vPositive ? t : segV - t;
      return latticePoint(lattice);
    };
    auto uvAt = [&](const Vector& local) {
      return Vector((face.uvColumn + local.x) / kCubeUVColumns, (face.uvRow + local.y) / kCubeUVRows, 0.0);
    };
    AppendGrid(mesh, segU, segV, pointAt, uvAt);
  }
  return mesh;
}

MeshData MakeSphere(Float radius, Int32 segments)
{
  const Int32 columns = std::clamp(segments, 3, kMaxPrimitiveSegments);
  const Int32 rows = std::max(columns / 2, 2);
  MeshData mesh;
  mesh.points.reserve(static_cast<std::size_t>(rows - 1) * columns + 2);

  // Row i sits at polar angle pi * i / rows; rows 0 and `rows` are the poles.
  const Int32 topPole = 0;
  mesh.points.emplace_back(0.0, radius, 0.0);
  for (Int32 row = 1; row < rows; ++row)
  {
    const Float theta = kPi * row / rows;
    for (Int32 column = 0; column < columns; ++column)
    {
      const Float phi = 2.0 * kPi * column / columns;
      mesh.points.emplace_back(radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                               radius * std::sin(theta) * std::sin(phi));
    }
  }
  const Int32 bottomPole = static_cast<Int32>(mesh.points.size());
  mesh.points.emplace_back(0.0, -radius, 0.0);

  auto ringPoint = [&](Int32 row, Int32 column) { return 1 + (row - 1) * columns + column % columns; };
  auto uvAt = [&](Float column, Int32 row) {
    return Vector(column / columns, static_cast<Float>(row) / rows, 0.0);
  };

  // Walking +phi then +theta winds outwards, since d/dphi x d/dtheta points out.
  for (Int32 row = 0; row < rows; ++row)
  {
    for (Int32 column = 0; column < columns; ++column)
    {
      const Vector uvA = uvAt(column, row);
      const Vector uvB = uvAt(column + 1, row);
      const Vector uvC = uvAt(column + 1, row + 1);
      const Vector uvD = uvAt(column, row + 1);
      if (row == 0)
      {
        mesh.polygons.emplace_back(topPole, ringPoint(1, column + 1), ringPoint(1, column));
        mesh.uvs.push_back({uvAt(column + 0.5, 0), uvC, uvD, uvD});
      }
      else if (row == rows - 1)
      {
        mesh.polygons.emplace_back(ringPoint(row, column), ringPoint(row, column + 1), bottomPole);
        const Vector uvPole = uvAt(column + 0.5, rows);
        mesh.uvs.push_back({uvA, uvB, uvPole, uvPole});
      }
      else
      {
        mesh.polygons.emplace_back(ringPoint(row, column), ringPoint(row, column + 1), ringPoint(row + 1, column + 1),
                                   ringPoint(row + 1, column));
        mesh.uvs.push_back({uvA, uvB, uvC, uvD});
      }
    }
  }
  return mesh;
}

MeshData MakePlane(Float width, Float height, Int32 segW, Int32 segH)
{
  const Int32 columns = std::clamp(segW, 1, kMaxPrimitiveSegments);
  const Int32 rows = std::clamp(segH, 1, kMaxPrimitiveSegments);
  MeshData mesh;
  mesh.points.reserve(static_cast<std::size_t>(columns + 1) * (rows + 1));
  // Grid t runs along -Z so that (+X) x (-Z) = +Y is the winding normal.
  for (Int32 t = 0; t <= rows; ++t)
  {
    for (Int32 s = 0; s <= columns; ++s)
      mesh.points.emplace_back((static_cast<Float>(s) / columns - 0.5) * width, 0.0,
                               (0.5 - static_cast<Float>(t) / rows) * height);
  }
  auto pointAt = [&](Int32 s, Int32 t) { return t * (columns + 1) + s; };
  AppendGrid(mesh, columns, rows, pointAt, [](const Vector& local) { return local; });
  return mesh;
}

} // namespace qhost
