// A quality report of a polygon mesh as a viewer or a renderer meets it.
#pragma once

#include <cstdint>

#include "host/geometry/mesh_data.h"

namespace qhost {

struct MeshReport
{
  std::int64_t points = 0;
  std::int64_t faces = 0;
  // Distinct positions: the points after merging coincident ones.
  std::int64_t weldedPoints = 0;
  // Edges used by one face only; a mesh without any is closed.
  std::int64_t boundaryEdges = 0;
  // Edges used by more than two faces.
  std::int64_t nonManifoldEdges = 0;
  // Edges whose two faces run along them in the same direction.
  std::int64_t inconsistentEdges = 0;
  // Edges whose two faces' normals are more than 90° apart.
  std::int64_t foldedEdges = 0;
  // Faces whose normal points against the summed normals of their neighbours.
  std::int64_t turnedFaces = 0;
  // Faces with a repeated corner or (next to) no area.
  std::int64_t degenerateFaces = 0;
  // Pairs of faces without a common point that pass through each other.
  std::int64_t selfIntersections = 0;
  // Bounding box in host units; zero for a mesh without points.
  Vector boxMin;
  Vector boxMax;

  bool Closed() const { return boundaryEdges == 0; }
  // Anything a clean, closed, solid surface would not have.
  bool HasDefects() const
  {
    return boundaryEdges + nonManifoldEdges + inconsistentEdges + foldedEdges + turnedFaces + degenerateFaces +
               selfIntersections > 0;
  }
};

// Inspects a mesh whose polygons name valid points (as every reader ensures).
// Coincident points are merged first, so seams split for UVs do not count as
// holes; edges and neighbours are those of the merged mesh.
MeshReport InspectMesh(const MeshData& mesh);

} // namespace qhost
