#include "host/io/mesh_file.h"
#include "host/io/mesh_obj.h"

#include <algorithm>
#include <cctype>
#include <bit>
#include <charconv>
#include <string_view>
#include <tiny_obj_loader.h>
#include <unordered_map>

#include "host/core/input_error.h"
#include "host/io/atomic_file.h"
#include "host/io/mesh_read_checks.h"
#include "host/io/chunked_output.h"
#include "host/io/mesh_vertex_split.h"

namespace qhost {
namespace {

constexpr const char* kDefaultGroup = "default";
// The most corners one face may have (the OBJ library counts them in a byte).
constexpr std::size_t kMaxObjFaceCorners = 255;

// The longest shortest-round-trip double ("-2.2250738585072014e-308") and
// the longest index, with room to spare.
constexpr std::size_t kMaxNumberChars = 32;
constexpr std::size_t kMaxIndexChars = 24;

// Shortest text that reads back as exactly the same double.
char* WriteNumber(char* out, Float value)
{
  return std::to_chars(out, out + kMaxNumberChars, value).ptr;
}

char* WriteIndex(char* out, std::size_t value)
{
  return std::to_chars(out, out + kMaxIndexChars, value).ptr;
}

// "tag x y[ z]" and a line end.
void AppendVectorLine(ChunkBuffer& out, std::string_view tag, Float x, Float y, const Float* z)
{
  char* p = out.Reserve(tag.size() + 3 * (1 + kMaxNumberChars) + 1);
  p = std::copy(tag.begin(), tag.end(), p);
  *p++ = ' ';
  p = WriteNumber(p, x);
  *p++ = ' ';
  p = WriteNumber(p, y);
  if (z)
  {
    *p++ = ' ';
    p = WriteNumber(p, *z);
  }
  *p++ = '\n';
  out.Commit(p);
}

// Bit patterns of a value as OBJ keeps it; +0 and -0 are the same value.
std::uint64_t Bits(Float value)
{
  return value == 0.0 ? 0u : std::bit_cast<std::uint64_t>(value);
}

bool SameBits(const Vector& a, const Vector& b)
{
  return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

std::string GroupName(const std::string& name)
{
  std::string result = name.empty() ? "unnamed" : name;
  std::replace_if(result.begin(), result.end(), [](unsigned char c) { return std::isspace(c); }, '_');
  return result;
}

// The "g" line for each polygon: all selections containing it, or the default
// group. Empty when the mesh has no selections: every polygon is in "default".
std::vector<std::string> GroupLines(const MeshData& mesh)
{
  if (mesh.selections.empty())
    return {};
  std::vector<std::string> lines(mesh.polygons.size());
  for (const NamedSelection& selection : mesh.selections)
  {
    const std::string name = GroupName(selection.name);
    Int32 previous = -1;
    std::vector<Int32> polygons = selection.polygons;
    std::sort(polygons.begin(), polygons.end());
    for (Int32 polygon : polygons)
      if (polygon != previous)
      {
        std::string& line = lines[static_cast<std::size_t>(polygon)];
        line += line.empty() ? name : " " + name;
        previous = polygon;
      }
  }
  for (std::string& line : lines)
    if (line.empty())
      line = kDefaultGroup;
  return lines;
}

std::vector<std::string> SplitWords(std::string_view text)
{
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size())
  {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
      ++i;
    const std::size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
      ++i;
    if (i > start)
      words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

// Calls visit(lineNumber, words) for each line whose first word is "f", until
// visit returns true; returns that line's number, or 0.
template <typename Visit>
std::size_t FindFaceLine(std::string_view text, Visit&& visit)
{
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();)
  {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    ++lineNumber;
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] != 'f' || first + 1 >= line.size() ||
        !std::isspace(static_cast<unsigned char>(line[first + 1])))
      continue;
    if (visit(SplitWords(line.substr(first + 1))))
      return lineNumber;
  }
  return 0;
}

// The loader keeps no line numbers, so find the line of the n-th face
// (counting only faces with at least three corners, as the loader does).
std::string FaceError(std::string_view text, const std::string& name, std::size_t faceOrdinal,
                      const std::string& problem)
{
  std::size_t faces = 0;
  const std::size_t line =
    FindFaceLine(text, [&](const std::vector<std::string>& corners) { return corners.size() >= 3 && faces++ == faceOrdinal; });
  return name + ": " + (line ? "line " + std::to_string(line) + ": " : std::string()) + problem;
}

// The loader stores a face's corner count in one byte, so a face of 256 or
// more corners comes back with a wrong count: the counts then no longer add
// up to the number of corner indices. Such files are refused, naming the line.
void RefuseOversizedFaces(std::string_view text, const std::string& name, const tinyobj::mesh_t& mesh)
{
  std::size_t corners = 0;
  for (const unsigned char count : mesh.num_face_vertices)
    corners += count;
  if (corners == mesh.indices.size())
    return;
  std::size_t found = 0;
  const std::size_t line = FindFaceLine(text, [&](const std::vector<std::string>& words) {
    found = words.size();
    return words.size() > kMaxObjFaceCorners;
  });
  throw InputError(name + ": " + (line ? "line " + std::to_string(line) + ": " : std::string()) + "a face with " +
                   (line ? std::to_string(found) : std::string("more than ") + std::to_string(kMaxObjFaceCorners)) +
                   " corners; at most " + std::to_string(kMaxObjFaceCorners) + " are supported");
}

std::string Trimmed(std::string text)
{
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  return text;
}

} // namespace

void WriteObj(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              const MeshWriteOptions& options)
{
  ValidateMeshForWrite(path, mesh, cornerNormals);
  // Texture coordinates and normals are shared by the corners of a point
  // that carry the same value.
  const bool hasUVs = mesh.HasUVs();
  const CornersByPoint cornersOfPoints = GroupCornersByPoint(mesh.polygons);
  const SharedCorners uvs = hasUVs ? ShareCorners(mesh, cornersOfPoints,
                                                  [&](std::uint32_t a, std::uint32_t b) {
                                                    const Vector uvA = SlotUV(mesh, a), uvB = SlotUV(mesh, b);
                                                    return Bits(uvA.x) == Bits(uvB.x) && Bits(uvA.y) == Bits(uvB.y);
                                                  })
                                   : SharedCorners();
  const SharedCorners normals = ShareCorners(mesh, cornersOfPoints, [&](std::uint32_t a, std::uint32_t b) {
    return SameBits(cornerNormals[a], cornerNormals[b]);
  });
  const std::vector<std::string> groups = GroupLines(mesh);
  const auto groupOf = [&](std::size_t polygon) -> std::string_view {
    return groups.empty() ? std::string_view(kDefaultGroup) : std::string_view(groups[polygon]);
  };

  AtomicFileWriter writer;
  writer.Open(path);
  writer.Append("# polygon mesh: " + std::to_string(mesh.points.size()) + " points, " +
                std::to_string(mesh.polygons.size()) + " polygons\no " + GroupName(options.objectName) + "\n");
  const auto points = [&](ChunkBuffer& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
    {
      const Vector p = options.frame.PointToFile(mesh.points[i]);
      AppendVectorLine(text, "v", p.x, p.y, &p.z);
    }
  };
  const auto textureCoordinates = [&](ChunkBuffer& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
    {
      const Vector uv = SlotUV(mesh, uvs.firstSlot[i]);
      AppendVectorLine(text, "vt", uv.x, uv.y, nullptr);
    }
  };
  const auto normalLines = [&](ChunkBuffer& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
    {
      const Vector n = options.frame.DirectionToFile(cornerNormals[normals.firstSlot[i]]);
      AppendVectorLine(text, "vn", n.x, n.y, &n.z);
    }
  };
  const auto faces = [&](ChunkBuffer& text, std::size_t begin, std::size_t end) {
    for (std::size_t polygon = begin; polygon < end; ++polygon)
    {
      if (polygon == 0 || groupOf(polygon) != groupOf(polygon - 1))
      {
        text.Append("g ");
        text.Append(groupOf(polygon));
        text.Append("\n");
      }
      const int cornerCount = mesh.polygons[polygon].IsTriangle() ? 3 : 4;
      char* p = text.Reserve(1 + 4 * (3 + 3 * kMaxIndexChars) + 1);
      *p++ = 'f';
      for (int corner = 0; corner < cornerCount; ++corner)
      {
        const auto slot = static_cast<std::uint32_t>(4 * polygon + corner);
        *p++ = ' ';
        p = WriteIndex(p, static_cast<std::size_t>(SlotPoint(mesh, slot)) + 1);
        *p++ = '/';
        if (hasUVs)
          p = WriteIndex(p, std::size_t{uvs.vertexOfSlot[slot]} + 1);
        *p++ = '/';
        p = WriteIndex(p, std::size_t{normals.vertexOfSlot[slot]} + 1);
      }
      *p++ = '\n';
      text.Commit(p);
    }
  };
  AppendInChunks(writer, mesh.points.size(), points);
  AppendInChunks(writer, uvs.firstSlot.size(), textureCoordinates);
  AppendInChunks(writer, normals.firstSlot.size(), normalLines);
  AppendInChunks(writer, mesh.polygons.size(), faces);
  writer.Commit();
}

MeshData ParseObj(std::span<const std::uint8_t> bytes, const std::string& name)
{
  const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  tinyobj::ObjReader reader;
  // Material libraries are never read: only geometry and groups are used.
  if (!reader.ParseFromString(text, std::string(), config))
    throw InputError(name + ": " + Trimmed(reader.Error()));
  const tinyobj::attrib_t& attrib = reader.GetAttrib();
  const std::size_t pointCount = attrib.vertices.size() / 3;
  const std::size_t uvCount = attrib.texcoords.size() / 2;
  if (static_cast<std::int64_t>(pointCount) > kMaxMeshElements)
    throw InputError(name + ": " + std::to_string(pointCount) + " points exceed the limit of " +
                     std::to_string(kMaxMeshElements));

  MeshData result;
  result.points.reserve(pointCount);
  for (std::size_t i = 0; i < pointCount; ++i)
  {
    const Vector point(attrib.vertices[3 * i], attrib.vertices[3 * i + 1], attrib.vertices[3 * i + 2]);
    RequireCoordinate(point, [&] { return name + ": vertex " + std::to_string(i + 1); });
    result.points.push_back(point);
  }
  for (std::size_t i = 0; i < uvCount; ++i)
    RequireCoordinate(Vector(attrib.texcoords[2 * i], attrib.texcoords[2 * i + 1], 0.0),
                      [&] { return name + ": texture coordinate " + std::to_string(i + 1); });

  bool anyUV = false;
  std::unordered_map<std::string, std::size_t> selectionByName;
  std::size_t faceOrdinal = 0;
  for (const tinyobj::shape_t& shape : reader.GetShapes())
  {
    RefuseOversizedFaces(text, name, shape.mesh);
    std::vector<std::size_t> shapeSelections;
    for (const std::string& group : SplitWords(shape.name))
    {
      if (group == kDefaultGroup)
        continue;
      const auto [it, inserted] = selectionByName.try_emplace(group, result.selections.size());
      if (inserted)
        result.selections.push_back({group, {}});
      if (std::find(shapeSelections.begin(), shapeSelections.end(), it->second) == shapeSelections.end())
        shapeSelections.push_back(it->second);
    }

    std::size_t offset = 0;
    for (const unsigned char cornerCount : shape.mesh.num_face_vertices)
    {
      const tinyobj::index_t* corners = shape.mesh.indices.data() + offset;
      offset += cornerCount;
      auto where = [&] { return FaceError(text, name, faceOrdinal, "face"); };
      for (unsigned char c = 0; c < cornerCount; ++c)
      {
        const int t = corners[c].texcoord_index;
        RequirePointIndex(std::int64_t(corners[c].vertex_index) + 1, 1, pointCount, where);
        if (t >= 0 && static_cast<std::size_t>(t) >= uvCount)
          throw InputError(FaceError(text, name, faceOrdinal,
                                     "texture coordinate index " + std::to_string(t + 1) + " is out of range"));
        anyUV = anyUV || t >= 0;
      }
      ++faceOrdinal;

      auto uvOf = [&](int corner) {
        const int t = corners[corner].texcoord_index;
        return t < 0 ? Vector() : Vector(attrib.texcoords[2 * t], attrib.texcoords[2 * t + 1], 0.0);
      };
      auto addPolygon = [&](int a, int b, int c, int d) {
        for (std::size_t s : shapeSelections)
          result.selections[s].polygons.push_back(static_cast<Int32>(result.polygons.size()));
        result.polygons.emplace_back(corners[a].vertex_index, corners[b].vertex_index, corners[c].vertex_index,
                                     corners[d].vertex_index);
        result.uvs.push_back({uvOf(a), uvOf(b), uvOf(c), uvOf(d)});
      };
      if (cornerCount == 4)
        addPolygon(0, 1, 2, 3);
      else
        for (int k = 1; k + 1 < cornerCount; ++k)
          addPolygon(0, k, k + 1, k + 1);
    }
    if (static_cast<std::int64_t>(result.polygons.size()) > kMaxMeshElements)
      throw InputError(name + ": more than " + std::to_string(kMaxMeshElements) + " polygons");
  }
  if (result.polygons.empty())
    throw InputError(name + ": contains no polygons");
  if (!anyUV)
    result.uvs.clear();
  std::erase_if(result.selections, [](const NamedSelection& s) { return s.polygons.empty(); });
  return result;
}

} // namespace qhost
