// Wavefront OBJ meshes. Polygon selections travel as OBJ groups ("g"); a
// polygon in several selections is written under a "g" line naming all of
// them, and polygons in none go to the OBJ default group "default".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/geometry/mesh_data.h"
#include "host/io/mesh_file.h"

namespace qhost {

// Writes v, vt (when the mesh has UVs), vn and v/vt/vn faces, atomically;
// points and normals in options.frame.
void WriteObj(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              const MeshWriteOptions& options);

// Triangles and quads are kept, larger polygons are fan-triangulated. Every
// group or object name becomes a selection (names of a multi-name "g" line
// each get one); "default" is not a selection. Normals in the file are ignored.
// Positions are the file's own (ReadMesh converts them into host units).
// Parses OBJ text; throws InputError naming the file and line at fault.
MeshData ParseObj(std::span<const std::uint8_t> bytes, const std::string& name);

} // namespace qhost
