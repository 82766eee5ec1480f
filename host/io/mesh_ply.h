// Stanford PLY meshes. Writing produces binary little-endian files welded as
// the mesh is: one vertex per point (with the average of its corners'
// normals) and UVs per face corner, so a closed mesh stays closed in any
// viewer. Reading accepts ASCII and binary files of either byte order, with
// UVs per vertex or per face corner. PLY has no polygon selections, so none
// are written or read.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/geometry/mesh_data.h"
#include "host/io/mesh_frame.h"

namespace qhost {

// Vertex properties x y z nx ny nz; faces as "list uchar int vertex_indices"
// and, when the mesh has UVs, "list uchar float texcoord" (u v per corner);
// points and normals in frame. Written atomically.
void WritePly(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              const MeshFileFrame& frame);

// Reads vertex x y z (any numeric type), optional s t / u v / texture_u
// texture_v, face vertex_indices (or vertex_index) and optional face texcoord
// (which wins over vertex UVs). Faces of more than
// four corners are fan-triangulated; other elements are skipped. Points with
// identical positions are merged so split vertices are connected again.
// Positions are the file's own (ReadMesh converts them into host units).
// Parses ASCII or binary PLY; throws InputError naming the file and element at fault.
MeshData ParsePly(std::span<const std::uint8_t> bytes, const std::string& name);

} // namespace qhost
