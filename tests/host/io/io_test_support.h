// Shared fixtures for the file I/O tests: scratch folders and small meshes
// with known topology.
#pragma once

#include <string>
#include <vector>

#include "host/geometry/mesh_data.h"
#include "host/io/mesh_file.h"

namespace qhost::testing {

// A fresh folder under the system temp folder, removed with its content.
class ScratchFolder
{
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

// The host's own frame (centimetres, Y up): format tests that write with it
// read back exactly the positions they wrote.
inline constexpr MeshFileFrame kHostFrame{kCentimetre, UpAxis::Y};
inline MeshWriteOptions HostFrameOptions()
{
  MeshWriteOptions options;
  options.frame = kHostFrame;
  return options;
}

// A closed unit cube of six quads with per-face UVs, offset so no coordinate
// is a round number, and two selections ("top" = polygon 4, "sides" = 0..3).
MeshData QuadCube();

// A closed tetrahedron of four triangles, without UVs or selections.
MeshData Tetrahedron();

// Flat normals: four per polygon, each the polygon's face normal.
std::vector<Vector> FlatCornerNormals(const MeshData& mesh);

// True when every edge is used by exactly two polygons (a closed surface).
bool IsClosed(const MeshData& mesh);

// A mesh file read in its own units (no conversion into host units).
MeshData ReadRaw(const std::string& path);

// The message ReadMesh throws for path, or "" (and a test failure) when the
// file is read without an error.
std::string ReadError(const std::string& path);

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

} // namespace qhost::testing
