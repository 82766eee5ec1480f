#include "host/io/mesh_ply.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "host/core/input_error.h"
#include "host/io/atomic_file.h"
#include "host/io/chunked_output.h"
#include "host/io/mesh_file.h"
#include "host/io/mesh_read_checks.h"
#include "host/io/mesh_vertex_split.h"
#include "host/io/ply_format.h"

namespace qhost {
namespace {

char* WriteLittleEndian32(char* out, std::uint32_t value)
{
  for (int shift = 0; shift < 32; shift += 8)
    *out++ = static_cast<char>(value >> shift);
  return out;
}

char* WriteFloat(char* out, Float value)
{
  return WriteLittleEndian32(out, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
}

// One normal per point: the normalised sum of its corners' normals, so a
// smooth point keeps its normal exactly; points no polygon uses get zero.
std::vector<Vector> PointNormals(const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  std::vector<Vector> sums(mesh.points.size());
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const CPolygon& p = mesh.polygons[polygon];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    for (int corner = 0; corner < (p.IsTriangle() ? 3 : 4); ++corner)
      sums[points[corner]] += cornerNormals[4 * polygon + corner];
  }
  for (Vector& n : sums)
    n = n.GetNormalized();
  return sums;
}

int FindProperty(const PlyElement& element, std::initializer_list<const char*> names)
{
  for (const char* name : names)
    for (std::size_t i = 0; i < element.properties.size(); ++i)
      if (element.properties[i].name == name && !element.properties[i].isList)
        return static_cast<int>(i);
  return -1;
}

constexpr std::size_t kMaxFaceCorners = 65536;

} // namespace

void WritePly(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              const MeshFileFrame& frame)
{
  ValidateMeshForWrite(path, mesh, cornerNormals);
  const bool hasUVs = mesh.HasUVs();
  std::string header = "ply\nformat binary_little_endian 1.0\ncomment polygon mesh, one vertex per point";
  header += hasUVs ? ", UVs per face corner\n" : "\n";
  header += "element vertex " + std::to_string(mesh.points.size()) + "\n";
  header += "property float x\nproperty float y\nproperty float z\n";
  header += "property float nx\nproperty float ny\nproperty float nz\n";
  header += "element face " + std::to_string(mesh.polygons.size()) + "\n";
  header += "property list uchar int vertex_indices\n";
  if (hasUVs)
    header += "property list uchar float texcoord\n";
  header += "end_header\n";

  const std::vector<Vector> normals = PointNormals(mesh, cornerNormals);
  const auto vertices = [&](ChunkBuffer& bytes, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
    {
      const Vector position = frame.PointToFile(mesh.points[i]);
      const Vector normal = frame.DirectionToFile(normals[i]);
      char* out = bytes.Reserve(6 * 4);
      for (Float value : {position.x, position.y, position.z, normal.x, normal.y, normal.z})
        out = WriteFloat(out, value);
      bytes.Commit(out);
    }
  };
  const auto faces = [&](ChunkBuffer& bytes, std::size_t begin, std::size_t end) {
    for (std::size_t polygon = begin; polygon < end; ++polygon)
    {
      const CPolygon& p = mesh.polygons[polygon];
      const Int32 points[4] = {p.a, p.b, p.c, p.d};
      const int cornerCount = p.IsTriangle() ? 3 : 4;
      char* out = bytes.Reserve(1 + 4 * 4 + 1 + 8 * 4);
      *out++ = static_cast<char>(cornerCount);
      for (int corner = 0; corner < cornerCount; ++corner)
        out = WriteLittleEndian32(out, static_cast<std::uint32_t>(points[corner]));
      if (hasUVs)
      {
        const UVWStruct& uvw = mesh.uvs[polygon];
        const Vector uvs[4] = {uvw.a, uvw.b, uvw.c, uvw.d};
        *out++ = static_cast<char>(2 * cornerCount);
        for (int corner = 0; corner < cornerCount; ++corner)
        {
          out = WriteFloat(out, uvs[corner].x);
          out = WriteFloat(out, uvs[corner].y);
        }
      }
      bytes.Commit(out);
    }
  };
  AtomicFileWriter writer;
  writer.Open(path);
  writer.Append(header);
  AppendInChunks(writer, mesh.points.size(), vertices);
  AppendInChunks(writer, mesh.polygons.size(), faces);
  writer.Commit();
}

MeshData ParsePly(std::span<const std::uint8_t> bytes, const std::string& name)
{
  const PlyHeader header = ParsePlyHeader(bytes, name);

  PlyValueReader reader(bytes, header.dataOffset, header.format);
  MeshData result;
  std::vector<Vector> vertexUVs;
  bool haveVertices = false;
  bool haveFaces = false;
  std::vector<double> row;
  std::vector<Int32> corners;
  // Faces may come before the vertices they use, so indices are checked against the header's count.
  std::uint64_t vertexCount = 0;
  for (const PlyElement& element : header.elements)
    if (element.name == "vertex")
      vertexCount += element.count;
  // UVs per face corner (a "texcoord" list of u v pairs on the face element).
  std::vector<Vector> cornerUVs;
  std::vector<UVWStruct> faceUVs;
  for (const PlyElement& element : header.elements)
  {
    const std::size_t minimumBytes = MinimumPlyRowBytes(element, header.format);
    if (element.count > static_cast<std::uint64_t>(kMaxMeshElements) || element.count > reader.Remaining() / minimumBytes)
    {
      throw InputError(name + ": header claims " + std::to_string(element.count) + " " + element.name +
                       " entries, more than the file can hold");
    }
    const bool isVertex = element.name == "vertex";
    const bool isFace = element.name == "face";
    const int xyz[3] = {FindProperty(element, {"x"}), FindProperty(element, {"y"}), FindProperty(element, {"z"})};
    const int u = FindProperty(element, {"s", "u", "texture_u", "texture_s"});
    const int v = FindProperty(element, {"t", "v", "texture_v", "texture_t"});
    int indexList = -1;
    int texcoordList = -1;
    for (std::size_t i = 0; i < element.properties.size(); ++i)
    {
      if (!element.properties[i].isList)
        continue;
      if (element.properties[i].name == "vertex_indices" || element.properties[i].name == "vertex_index")
        indexList = static_cast<int>(i);
      else if (element.properties[i].name == "texcoord")
        texcoordList = static_cast<int>(i);
    }
    if (isVertex && (xyz[0] < 0 || xyz[1] < 0 || xyz[2] < 0))
      throw InputError(name + ": vertex element lacks x, y or z");
    if (isFace && indexList < 0)
      throw InputError(name + ": face element lacks vertex_indices");
    const bool readUVs = isVertex && u >= 0 && v >= 0;
    if (isVertex)
    {
      haveVertices = true;
      result.points.reserve(element.count);
      if (readUVs)
        vertexUVs.reserve(element.count);
    }
    if (isFace)
    {
      haveFaces = true;
      result.polygons.reserve(element.count);
    }

    row.resize(element.properties.size());
    for (std::uint64_t item = 0; item < element.count; ++item)
    {
      // Built only on failure: rows are read in a tight loop.
      auto where = [&] { return name + ": " + element.name + " " + std::to_string(item); };
      for (std::size_t p = 0; p < element.properties.size(); ++p)
      {
        const PlyProperty& property = element.properties[p];
        if (!property.isList)
        {
          if (!reader.Read(property.type, row[p]))
            throw InputError(where() + ": unexpected end of data or malformed value");
          continue;
        }
        double count = 0;
        if (!reader.Read(property.countType, count) || count < 0 || count > kMaxFaceCorners || count != std::floor(count))
          throw InputError(where() + ": bad list length (0 to " + std::to_string(kMaxFaceCorners) + ")");
        const bool keep = isFace && static_cast<int>(p) == indexList;
        const bool keepUVs = isFace && static_cast<int>(p) == texcoordList;
        if (keep)
          corners.clear();
        if (keepUVs)
          cornerUVs.clear();
        double uv[2] = {0.0, 0.0};
        for (int i = 0; i < static_cast<int>(count); ++i)
        {
          double value = 0;
          if (!reader.Read(property.type, value))
            throw InputError(where() + ": unexpected end of data or malformed value");
          if (keep)
          {
            // Whole numbers only; anything else is reported as out of range below.
            const std::int64_t index = value == std::floor(value) && std::abs(value) < 4e18 ? std::int64_t(value) : -1;
            RequirePointIndex(index, 0, static_cast<std::size_t>(vertexCount), where);
            corners.push_back(static_cast<Int32>(index));
          }
          if (keepUVs)
          {
            uv[i % 2] = value;
            if (i % 2 == 1)
            {
              cornerUVs.emplace_back(uv[0], uv[1], 0.0);
              RequireCoordinate(cornerUVs.back(), where);
            }
          }
        }
      }
      if (isVertex)
      {
        result.points.emplace_back(row[xyz[0]], row[xyz[1]], row[xyz[2]]);
        RequireCoordinate(result.points.back(), where);
        if (readUVs)
        {
          vertexUVs.emplace_back(row[u], row[v], 0.0);
          RequireCoordinate(vertexUVs.back(), where);
        }
      }
      else if (isFace)
      {
        if (corners.size() < 3)
          throw InputError(where() + ": has " + std::to_string(corners.size()) + " corners (at least 3)");
        if (result.polygons.size() + corners.size() - 2 > static_cast<std::size_t>(kMaxMeshElements))
          throw InputError(where() + ": more than " + std::to_string(kMaxMeshElements) + " polygons");
        if (texcoordList >= 0 && cornerUVs.size() != corners.size())
          throw InputError(where() + ": has " + std::to_string(corners.size()) + " corners but " +
                           std::to_string(cornerUVs.size()) + " texcoord pairs");
        if (corners.size() == 4)
          result.polygons.emplace_back(corners[0], corners[1], corners[2], corners[3]);
        else
          for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            result.polygons.emplace_back(corners[0], corners[k], corners[k + 1]);
        if (texcoordList >= 0 && corners.size() == 4)
          faceUVs.push_back({cornerUVs[0], cornerUVs[1], cornerUVs[2], cornerUVs[3]});
        else if (texcoordList >= 0)
          for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            faceUVs.push_back({cornerUVs[0], cornerUVs[k], cornerUVs[k + 1], cornerUVs[k + 1]});
      }
    }
  }
  if (!haveVertices || !haveFaces || result.polygons.empty())
    throw InputError(name + ": contains no faces");
  if (!faceUVs.empty())
    result.uvs = std::move(faceUVs);
  // Otherwise UVs per vertex, only when every vertex element had them.
  else if (!vertexUVs.empty() && vertexUVs.size() == result.points.size())
  {
    result.uvs.reserve(result.polygons.size());
    for (const CPolygon& p : result.polygons)
      result.uvs.push_back({vertexUVs[p.a], vertexUVs[p.b], vertexUVs[p.c], vertexUVs[p.d]});
  }
  WeldIdenticalPoints(result);
  return result;
}

} // namespace qhost
