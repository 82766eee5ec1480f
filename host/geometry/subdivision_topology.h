// The refiner's view of a MeshData: face-vertex lists, sharp creases from a
// face angle and welded face-varying UVs, owned together with the
// Far::TopologyDescriptor that points into them.
#pragma once

#include <vector>

#include <opensubdiv/far/topologyDescriptor.h>

#include "host/geometry/mesh_data.h"

namespace qhost {

class SubdivisionTopology
{
public:
  // `mesh` must be valid (see ValidateMesh) and outlive this object: all-quad
  // meshes hand their polygon array to the descriptor without copying.
  // Manifold edges whose face normals differ by more than `creaseAngle`
  // radians become infinitely sharp; the UV channel exists when the mesh has UVs.
  SubdivisionTopology(const MeshData& mesh, Float creaseAngle);
  SubdivisionTopology(const SubdivisionTopology&) = delete;
  SubdivisionTopology& operator=(const SubdivisionTopology&) = delete;

  const OpenSubdiv::Far::TopologyDescriptor& GetDescriptor() const { return descriptor_; }
  // Level 0 values of the UV channel, indexed by the descriptor's value indices.
  const std::vector<Vector>& GetUVValues() const { return uvValues_; }

private:
  void GatherFaceVertices(const MeshData& mesh);
  void GatherSharpEdges(const MeshData& mesh, Float creaseAngle);
  void WeldUVs(const MeshData& mesh);

  std::vector<int> vertexCounts_;
  std::vector<OpenSubdiv::Far::Index> flattenedVertices_;  // only used when the mesh has triangles
  std::vector<OpenSubdiv::Far::Index> sharpEdges_;         // point pairs
  std::vector<float> sharpness_;
  std::vector<Vector> uvValues_;
  std::vector<OpenSubdiv::Far::Index> uvValueIndices_;     // one per face-vertex
  OpenSubdiv::Far::TopologyDescriptor::FVarChannel uvChannel_;
  OpenSubdiv::Far::TopologyDescriptor descriptor_;
};

} // namespace qhost
