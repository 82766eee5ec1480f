// Reading and writing meshes as OBJ, PLY, glTF and GLB files, chosen by the
// file extension.
//
// Conventions shared by every format: UV v points up (origin at the bottom
// left, as in OBJ; glTF files store 1 - v), polygon corner order is kept as
// is, and per-corner normals come from the caller because MeshData holds none.
// Meshes in memory are in host units; files are in their MeshFileFrame
// (metres, Y up by default; glTF always).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/core/input_error.h"
#include "host/core/output_error.h"
#include "host/geometry/mesh_data.h"
#include "host/io/mesh_frame.h"

namespace qhost {

struct Image;

// Readers refuse files that claim more points or polygons than this before
// allocating for them.
constexpr std::int64_t kMaxMeshElements = 100'000'000;
// Largest mesh file read into memory at once; below 4 GiB because the glTF
// library counts bytes in 32 bits.
constexpr std::uint64_t kMaxMeshFileBytes = (std::uint64_t(4) << 30) - 1;
// Largest coordinate magnitude accepted from a file: far beyond any real
// object in any unit, yet small enough that products of coordinates (normals,
// areas, transforms) stay finite.
constexpr double kMaxMeshCoordinate = 1e12;

struct MeshWriteOptions
{
  // Name of the object, where the format has one.
  std::string objectName = "rock";
  // glTF/GLB only: embedded as PNG and used as the material's base colour
  // texture. Not owned; must outlive the write call. Requires UVs.
  const Image* baseColorTexture = nullptr;
  // Unit and up axis of the file. The format writers write points and normals
  // in this frame; WriteMesh replaces it by kGltfFrame for glTF files.
  MeshFileFrame frame;
};

// Checks what every writer relies on: point indices in range, UVs either
// absent or one per polygon, exactly four corner normals per polygon, and
// finite positions. Says what breaks the first of these, or is empty.
std::string MeshWriteProblem(const MeshData& mesh, std::span<const Vector> cornerNormals);

// Throws OutputError naming path, the file the mesh is for, and the problem
// MeshWriteProblem finds.
void ValidateMeshForWrite(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals);

// Writes .obj, .ply, .glb or .gltf (by extension, case-insensitive) atomically.
// cornerNormals holds four normals per polygon (corners a, b, c, d). Throws
// OutputError naming path and what failed; the target is then untouched.
void WriteMesh(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
               const MeshWriteOptions& options);

// Reads .obj, .ply, .glb or .gltf, chosen by the extension, converted from
// the file's frame (kGltfFrame for glTF) into host units; path must be a
// regular file. Throws InputError naming the file and the element at fault.
MeshData ReadMesh(const std::string& path, const MeshFileFrame& frame = {});

// Parses mesh file content held in memory, in the file's own units: name's
// extension gives the format and name appears in messages. External glTF
// buffers are looked up in baseDirectory, or refused when it is empty.
MeshData ParseMesh(std::span<const std::uint8_t> bytes, const std::string& name,
                   const std::string& baseDirectory = {});

// True for .glb and .gltf paths, whose frame is always kGltfFrame.
bool IsGltfPath(const std::string& path);

// The lower-case extension of path including the dot, or "" when it has none.
std::string LowerCaseExtension(const std::string& path);

} // namespace qhost
