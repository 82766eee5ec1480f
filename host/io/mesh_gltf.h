// glTF 2.0 meshes, as binary GLB or as .gltf JSON with embedded buffers.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/geometry/mesh_data.h"
#include "host/io/mesh_file.h"

namespace qhost {

// One mesh with POSITION (with min/max), NORMAL, TEXCOORD_0 when the mesh has
// UVs, and 32-bit triangle indices (quads split along their a-c diagonal),
// using one default material, optionally with options.baseColorTexture
// embedded as PNG. binary selects GLB over .gltf. Points and normals are
// written in options.frame (WriteMesh passes kGltfFrame). Written atomically;
// throws OutputError naming path.
void WriteGltf(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
               const MeshWriteOptions& options, bool binary);

// Reads the triangle primitives of every mesh reachable from the default
// scene (every mesh when there is no scene), with node transforms applied.
// Each named glTF mesh becomes a selection of its polygons; points with
// identical positions are merged. GLB or JSON is detected from the content.
// Positions are the file's own (ReadMesh converts them into host units).
// Parses glTF JSON or GLB (told apart by the GLB magic); throws InputError
// naming the file and element at fault. External buffers are read from
// baseDirectory, or refused when it is empty.
MeshData ParseGltf(std::span<const std::uint8_t> bytes, const std::string& name, const std::string& baseDirectory);

} // namespace qhost
