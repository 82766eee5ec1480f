#include "io_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <gtest/gtest.h>
#include <stdexcept>

#include "host/core/input_error.h"
#include "host/core/read_file.h"
#include "host/io/mesh_file.h"

namespace qhost::testing {

ScratchFolder::ScratchFolder()
{
  std::string pattern = (std::filesystem::temp_directory_path() / "qv_io_test_XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error("cannot create scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

MeshData QuadCube()
{
  MeshData mesh;
  const Vector offset(0.125, -3.3, 7.7);
  for (int i = 0; i < 8; ++i)
    mesh.points.push_back(offset + Vector(i & 1 ? 1.0 : 0.0, i & 2 ? 1.0 : 0.0, i & 4 ? 1.0 : 0.0));
  // Outward-facing quads: the four sides around z, then z = 0 and z = 1.
  mesh.polygons = {{0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}, {2, 3, 1, 0}, {4, 5, 7, 6}};
  for (std::size_t i = 0; i < mesh.polygons.size(); ++i)
  {
    const Float u0 = 0.1 * static_cast<Float>(i);
    mesh.uvs.push_back({{u0, 0.0, 0.0}, {u0 + 0.1, 0.0, 0.0}, {u0 + 0.1, 0.75, 0.0}, {u0, 0.75, 0.0}});
  }
  mesh.selections = {{"top", {4}}, {"sides", {0, 1, 2, 3}}};
  return mesh;
}

MeshData Tetrahedron()
{
  MeshData mesh;
  mesh.points = {{0.0, 0.0, 0.0}, {1.5, 0.0, 0.0}, {0.0, 1.25, 0.0}, {0.0, 0.0, 2.0}};
  mesh.polygons = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
  return mesh;
}

std::vector<Vector> FlatCornerNormals(const MeshData& mesh)
{
  std::vector<Vector> normals;
  for (const CPolygon& p : mesh.polygons)
  {
    const Vector& a = mesh.points[p.a];
    const Vector n = Cross(mesh.points[p.b] - a, mesh.points[p.c] - a).GetNormalized();
    normals.insert(normals.end(), {n, n, n, n});
  }
  return normals;
}

bool IsClosed(const MeshData& mesh)
{
  std::map<std::pair<Int32, Int32>, int> edgeUse;
  for (const CPolygon& p : mesh.polygons)
  {
    const std::vector<Int32> corners =
      p.IsTriangle() ? std::vector<Int32>{p.a, p.b, p.c} : std::vector<Int32>{p.a, p.b, p.c, p.d};
    for (std::size_t i = 0; i < corners.size(); ++i)
    {
      const Int32 a = corners[i];
      const Int32 b = corners[(i + 1) % corners.size()];
      ++edgeUse[{std::min(a, b), std::max(a, b)}];
    }
  }
  for (const auto& [edge, count] : edgeUse)
    if (count != 2)
      return false;
  return !edgeUse.empty();
}

MeshData ReadRaw(const std::string& path)
{
  return ParseMesh(ReadFileBytes(path, kMaxMeshFileBytes), path);
}

std::string ReadError(const std::string& path)
{
  try
  {
    ReadMesh(path);
  }
  catch (const InputError& e)
  {
    return e.what();
  }
  ADD_FAILURE() << path << " was read without an error";
  return {};
}

std::string ReadText(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

} // namespace qhost::testing
