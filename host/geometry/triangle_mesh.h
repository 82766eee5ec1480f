// An indexed triangle mesh with its attributes per vertex, as GPUs and glTF
// take it: one position, normal and UV per vertex, optionally a tangent.
// Flat float arrays, so simplification, ray casting and writing read the
// same memory without conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

struct TriangleMesh
{
  std::vector<float> positions; // x, y, z per vertex, host units
  std::vector<float> normals;   // x, y, z per vertex, unit length
  std::vector<float> uvs;       // u, v per vertex, v up
  // x, y, z, w per vertex: unit tangent along growing u, w = +1 or -1 so that
  // cross(normal, tangent) * w runs along growing v. Empty until computed.
  std::vector<float> tangents;
  std::vector<std::uint32_t> indices; // three per triangle

  std::size_t VertexCount() const { return positions.size() / 3; }
  std::size_t TriangleCount() const { return indices.size() / 3; }
  bool HasUVs() const { return !uvs.empty(); }

  Vector Position(std::uint32_t v) const { return {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]}; }
  Vector Normal(std::uint32_t v) const { return {normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]}; }
  Vector Tangent(std::uint32_t v) const { return {tangents[4 * v], tangents[4 * v + 1], tangents[4 * v + 2]}; }
  float Handedness(std::uint32_t v) const { return tangents[4 * v + 3]; }
};

// The smallest box around the mesh's positions (low, high corner); a box
// with low above high when there are none.
std::pair<Vector, Vector> BoundingBox(const TriangleMesh& mesh);

// The first three components of a per-vertex stream (positions, normals or
// tangents; stride 3 or 4) at the point of triangle t with weights a and b on
// its first two corners and 1 - a - b on its third.
inline Vector InterpolateAt(const TriangleMesh& mesh, const std::vector<float>& stream, std::size_t stride,
                            std::size_t t, Float a, Float b)
{
  const std::uint32_t* corner = mesh.indices.data() + 3 * t;
  const float* p = stream.data() + stride * corner[0];
  const float* q = stream.data() + stride * corner[1];
  const float* r = stream.data() + stride * corner[2];
  const Float c = 1.0 - a - b;
  return {a * p[0] + b * q[0] + c * r[0], a * p[1] + b * q[1] + c * r[1], a * p[2] + b * q[2] + c * r[2]};
}

} // namespace qhost
