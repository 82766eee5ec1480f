#include "host/io/mesh_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include <tbb/blocked_range.h>
#include <tbb/parallel_reduce.h>

#include "host/core/input_error.h"
#include "host/core/output_error.h"

#include "host/io/mesh_gltf.h"
#include "host/io/mesh_obj.h"
#include "host/io/mesh_ply.h"
#include "host/io/mesh_read_checks.h"
#include "host/core/read_file.h"

namespace qhost {
namespace {

// Finite, and finite again when stored as a float as PLY and glTF store it.
bool FitsFloat(const Vector& v)
{
  constexpr Float kLargest = std::numeric_limits<float>::max();
  return std::abs(v.x) <= kLargest && std::abs(v.y) <= kLargest && std::abs(v.z) <= kLargest;
}

// The smallest i in [0, count) for which bad(i) holds, or count: checked on
// every core, and still the first one, so the message names the same element.
template <typename Bad>
std::size_t FirstWhere(std::size_t count, const Bad& bad)
{
  return tbb::parallel_reduce(
    tbb::blocked_range<std::size_t>(0, count), count,
    [&](const tbb::blocked_range<std::size_t>& r, std::size_t first) {
      for (std::size_t i = r.begin(); i < std::min(r.end(), first); ++i)
        if (bad(i))
          return i;
      return first;
    },
    [](std::size_t a, std::size_t b) { return std::min(a, b); });
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

std::string MeshWriteProblem(const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  const auto pointCount = static_cast<std::int64_t>(mesh.points.size());
  if (pointCount > kMaxMeshElements || static_cast<std::int64_t>(mesh.polygons.size()) > kMaxMeshElements)
    return "mesh has more than " + std::to_string(kMaxMeshElements) + " points or polygons";
  // No file may carry NaN or infinity: such a mesh comes from the values the
  // run was given, so the message says so rather than blaming the output.
  if (const std::size_t i = FirstWhere(mesh.points.size(), [&](std::size_t k) { return !FitsFloat(mesh.points[k]); });
      i < mesh.points.size())
    return "not written: the built mesh has point " + std::to_string(i) +
           " at a non-finite or overflowing position (check the parameters and the input)";
  if (const std::size_t i = FirstWhere(cornerNormals.size(), [&](std::size_t k) { return !FitsFloat(cornerNormals[k]); });
      i < cornerNormals.size())
    return "not written: the built mesh has a non-finite normal at polygon " + std::to_string(i / 4) +
           " (check the parameters and the input)";
  if (const std::size_t i = FirstWhere(mesh.uvs.size(),
                                       [&](std::size_t k) {
                                         const UVWStruct& uv = mesh.uvs[k];
                                         return !FitsFloat(uv.a) || !FitsFloat(uv.b) || !FitsFloat(uv.c) ||
                                                !FitsFloat(uv.d);
                                       });
      i < mesh.uvs.size())
    return "not written: the built mesh has a non-finite UV at polygon " + std::to_string(i);
  const auto outOfRange = [&](Int32 index) { return index < 0 || index >= pointCount; };
  if (const std::size_t i = FirstWhere(mesh.polygons.size(),
                                       [&](std::size_t k) {
                                         const CPolygon& p = mesh.polygons[k];
                                         return outOfRange(p.a) || outOfRange(p.b) || outOfRange(p.c) ||
                                                outOfRange(p.d);
                                       });
      i < mesh.polygons.size())
  {
    const CPolygon& p = mesh.polygons[i];
    for (Int32 index : {p.a, p.b, p.c, p.d})
      if (outOfRange(index))
        return "polygon " + std::to_string(i) + " uses point " + std::to_string(index) + " out of range";
  }
  if (!mesh.uvs.empty() && !mesh.HasUVs())
    return "mesh has " + std::to_string(mesh.uvs.size()) + " UV entries for " + std::to_string(mesh.polygons.size()) +
           " polygons";
  if (cornerNormals.size() != 4 * mesh.polygons.size())
    return "expected " + std::to_string(4 * mesh.polygons.size()) + " corner normals, got " +
           std::to_string(cornerNormals.size());
  for (const NamedSelection& selection : mesh.selections)
    for (Int32 polygon : selection.polygons)
      if (polygon < 0 || static_cast<std::size_t>(polygon) >= mesh.polygons.size())
        return "selection '" + selection.name + "' names polygon " + std::to_string(polygon) + " out of range";
  return {};
}

void ValidateMeshForWrite(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  const std::string problem = MeshWriteProblem(mesh, cornerNormals);
  if (!problem.empty())
    throw OutputError(path, problem);
}

void WriteMesh(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
               const MeshWriteOptions& options)
{
  const std::string extension = LowerCaseExtension(path);
  if (extension == ".obj")
    return WriteObj(path, mesh, cornerNormals, options);
  if (extension == ".ply")
    return WritePly(path, mesh, cornerNormals, options.frame);
  if (extension != ".glb" && extension != ".gltf")
    throw OutputError(path, "unknown mesh file extension '" + extension + "' (use .obj, .ply, .glb or .gltf)");
  MeshWriteOptions gltfOptions = options;
  gltfOptions.frame = kGltfFrame;
  WriteGltf(path, mesh, cornerNormals, gltfOptions, extension == ".glb");
}

bool IsGltfPath(const std::string& path)
{
  const std::string extension = LowerCaseExtension(path);
  return extension == ".glb" || extension == ".gltf";
}

MeshData ParseMesh(std::span<const std::uint8_t> bytes, const std::string& name, const std::string& baseDirectory)
{
  const std::string extension = LowerCaseExtension(name);
  if (extension == ".obj")
    return ParseObj(bytes, name);
  if (extension == ".ply")
    return ParsePly(bytes, name);
  if (extension == ".glb" || extension == ".gltf")
    return ParseGltf(bytes, name, baseDirectory);
  throw InputError(name + ": unknown mesh file extension '" + extension + "' (use .obj, .ply, .glb or .gltf)");
}

MeshData ReadMesh(const std::string& path, const MeshFileFrame& frame)
{
  // The extension is checked first, so a wrong name is reported before the file is read.
  const std::string extension = LowerCaseExtension(path);
  if (extension != ".obj" && extension != ".ply" && extension != ".glb" && extension != ".gltf")
    throw InputError(path + ": unknown mesh file extension '" + extension + "' (use .obj, .ply, .glb or .gltf)");
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, kMaxMeshFileBytes);
  const std::size_t slash = path.find_last_of('/');
  MeshData mesh = ParseMesh(bytes, path, slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1));
  const MeshFileFrame& fileFrame = IsGltfPath(path) ? kGltfFrame : frame;
  for (Vector& point : mesh.points)
    point = fileFrame.PointFromFile(point);
  return mesh;
}

void ThrowPointIndexOutOfRange(const std::string& where, std::int64_t index, std::int64_t firstIndex,
                               std::size_t pointCount)
{
  if (pointCount == 0)
    throw InputError(where + ": refers to point " + std::to_string(index) + " but the file has no points");
  throw InputError(where + ": point index " + std::to_string(index) + " is out of range (" +
                   std::to_string(firstIndex) + " to " +
                   std::to_string(static_cast<std::int64_t>(pointCount) - 1 + firstIndex) + ")");
}

void ThrowBadCoordinate(const std::string& where, const Vector& position)
{
  char text[128];
  std::snprintf(text, sizeof(text), "(%g, %g, %g)", position.x, position.y, position.z);
  throw InputError(where + ": coordinates " + text + " are not finite or exceed " + std::to_string(
                     static_cast<long long>(kMaxMeshCoordinate)) + " in magnitude");
}

} // namespace qhost
