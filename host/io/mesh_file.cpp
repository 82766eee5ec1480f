#include "host/io/mesh_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sys/stat.h>

#include "host/io/mesh_gltf.h"
#include "host/io/mesh_obj.h"
#include "host/io/mesh_ply.h"

namespace qhost {
namespace {

bool IsFinite(const Vector& v)
{
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

std::string LowerCaseExtension(const std::string& path)
{
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool ValidateMeshForWrite(const MeshData& mesh, std::span<const Vector> cornerNormals, std::string& error)
{
  const auto pointCount = static_cast<std::int64_t>(mesh.points.size());
  if (pointCount > kMaxMeshElements || static_cast<std::int64_t>(mesh.polygons.size()) > kMaxMeshElements)
  {
    error = "mesh has more than " + std::to_string(kMaxMeshElements) + " points or polygons";
    return false;
  }
  for (std::size_t i = 0; i < mesh.points.size(); ++i)
    if (!IsFinite(mesh.points[i]))
    {
      error = "point " + std::to_string(i) + " is not finite";
      return false;
    }
  for (std::size_t i = 0; i < mesh.polygons.size(); ++i)
  {
    const CPolygon& p = mesh.polygons[i];
    for (Int32 index : {p.a, p.b, p.c, p.d})
      if (index < 0 || index >= pointCount)
      {
        error = "polygon " + std::to_string(i) + " uses point " + std::to_string(index) + " out of range";
        return false;
      }
  }
  if (!mesh.uvs.empty() && !mesh.HasUVs())
  {
    error = "mesh has " + std::to_string(mesh.uvs.size()) + " UV entries for " +
            std::to_string(mesh.polygons.size()) + " polygons";
    return false;
  }
  if (cornerNormals.size() != 4 * mesh.polygons.size())
  {
    error = "expected " + std::to_string(4 * mesh.polygons.size()) + " corner normals, got " +
            std::to_string(cornerNormals.size());
    return false;
  }
  for (const NamedSelection& selection : mesh.selections)
    for (Int32 polygon : selection.polygons)
      if (polygon < 0 || static_cast<std::size_t>(polygon) >= mesh.polygons.size())
      {
        error = "selection '" + selection.name + "' names polygon " + std::to_string(polygon) + " out of range";
        return false;
      }
  return true;
}

bool WriteMesh(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
               const MeshWriteOptions& options, std::string& error)
{
  const std::string extension = LowerCaseExtension(path);
  if (extension != ".obj" && extension != ".ply" && extension != ".glb" && extension != ".gltf")
  {
    error = path + ": unknown mesh file extension '" + extension + "' (use .obj, .ply, .glb or .gltf)";
    return false;
  }
  if (extension == ".obj")
    return WriteObj(path, mesh, cornerNormals, options, error);
  if (extension == ".ply")
    return WritePly(path, mesh, cornerNormals, options.frame, error);
  MeshWriteOptions gltfOptions = options;
  gltfOptions.frame = kGltfFrame;
  return WriteGltf(path, mesh, cornerNormals, gltfOptions, extension == ".glb", error);
}

bool IsGltfPath(const std::string& path)
{
  const std::string extension = LowerCaseExtension(path);
  return extension == ".glb" || extension == ".gltf";
}

bool ReadMesh(const std::string& path, MeshData& mesh, std::string& error, const MeshFileFrame& frame)
{
  const std::string extension = LowerCaseExtension(path);
  MeshData result;
  bool ok = false;
  if (extension == ".obj")
    ok = ReadObj(path, result, error);
  else if (extension == ".ply")
    ok = ReadPly(path, result, error);
  else if (extension == ".glb" || extension == ".gltf")
    ok = ReadGltf(path, result, error);
  else
    error = path + ": unknown mesh file extension '" + extension + "' (use .obj, .ply, .glb or .gltf)";
  if (!ok)
    return false;
  const MeshFileFrame& fileFrame = IsGltfPath(path) ? kGltfFrame : frame;
  for (Vector& point : result.points)
    point = fileFrame.PointFromFile(point);
  mesh = std::move(result);
  return true;
}

bool CheckMeshFile(const std::string& path, std::string& error)
{
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
  {
    error = path + ": cannot open (no such file)";
    return false;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kMaxMeshFileBytes)
  {
    error = path + ": file is larger than " + std::to_string(kMaxMeshFileBytes) + " bytes";
    return false;
  }
  return true;
}

} // namespace qhost
