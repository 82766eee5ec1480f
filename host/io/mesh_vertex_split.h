// Conversion between point-indexed polygons (MeshData) and the per-vertex
// attribute streams of PLY and glTF, where a vertex carries one normal and
// one UV, so corners that differ in either need vertices of their own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/geometry/mesh_data.h"

namespace qhost {

struct CornerVertex
{
  Vector position;
  Vector normal;
  Float u = 0.0;
  Float v = 0.0;
};

struct CornerVertexMesh
{
  std::vector<CornerVertex> vertices;
  // Four vertex indices per polygon, the last equal to the third for triangles.
  std::vector<std::uint32_t> corners;
};

// One vertex per distinct (point, normal, UV) combination, compared at the
// single precision the files store. cornerNormals holds four per polygon; the
// mesh must pass ValidateMeshForWrite.
CornerVertexMesh SplitCorners(const MeshData& mesh, std::span<const Vector> cornerNormals);

// Merges points with bitwise identical positions and remaps the polygons, so
// a mesh whose vertices were split for attributes is connected again.
void WeldIdenticalPoints(MeshData& mesh);

} // namespace qhost
