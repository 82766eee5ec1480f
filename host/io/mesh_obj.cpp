#include "host/io/mesh_file.h"
#include "host/io/mesh_obj.h"

#include <algorithm>
#include <cctype>
#include <bit>
#include <charconv>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <tiny_obj_loader.h>
#include <unordered_map>

#include "host/io/atomic_file.h"

namespace qhost {
namespace {

constexpr const char* kDefaultGroup = "default";

// Shortest text that reads back as exactly the same double.
void AppendNumber(std::string& out, Float value)
{
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  out.append(buffer, result.ptr);
}

void AppendInteger(std::string& out, std::size_t value)
{
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  out.append(buffer, result.ptr);
}

void AppendVectorLine(std::string& out, const char* tag, Float x, Float y, const Float* z)
{
  out += tag;
  out += ' ';
  AppendNumber(out, x);
  out += ' ';
  AppendNumber(out, y);
  if (z)
  {
    out += ' ';
    AppendNumber(out, *z);
  }
  out += '\n';
}

struct PairKeyHash
{
  std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& k) const
  {
    return std::hash<std::uint64_t>()(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
  }
};

// Indexes distinct values, 1-based as OBJ counts them.
class ObjValueTable
{
public:
  std::size_t Index(std::uint64_t a, std::uint64_t b, std::uint64_t c, bool& isNew)
  {
    const auto [it, inserted] = indices_.try_emplace(Key(a, b, c), indices_.size() + 1);
    isNew = inserted;
    return it->second;
  }

private:
  static std::pair<std::uint64_t, std::uint64_t> Key(std::uint64_t a, std::uint64_t b, std::uint64_t c)
  {
    return {a, b ^ (c * 0xC2B2AE3D27D4EB4Full) ^ (c >> 17)};
  }
  std::unordered_map<std::pair<std::uint64_t, std::uint64_t>, std::size_t, PairKeyHash> indices_;
};

std::uint64_t Bits(Float value)
{
  return value == 0.0 ? 0u : std::bit_cast<std::uint64_t>(value);
}

std::string GroupName(const std::string& name)
{
  std::string result = name.empty() ? "unnamed" : name;
  std::replace_if(result.begin(), result.end(), [](unsigned char c) { return std::isspace(c); }, '_');
  return result;
}

// The "g" line for each polygon: all selections containing it, or the default group.
std::vector<std::string> GroupLines(const MeshData& mesh)
{
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

std::vector<std::string> SplitWords(const std::string& text)
{
  std::vector<std::string> words;
  std::istringstream stream(text);
  for (std::string word; stream >> word;)
    words.push_back(word);
  return words;
}

// tinyobjloader keeps no line numbers, so find the line of the n-th face
// (counting only faces with at least three corners, as the loader does).
std::size_t FaceLineNumber(const std::string& path, std::size_t faceOrdinal)
{
  std::ifstream file(path);
  std::string line;
  std::size_t lineNumber = 0;
  std::size_t faces = 0;
  while (std::getline(file, line))
  {
    ++lineNumber;
    const std::vector<std::string> words = SplitWords(line);
    if (words.size() >= 4 && words[0] == "f" && faces++ == faceOrdinal)
      return lineNumber;
  }
  return 0;
}

std::string FaceError(const std::string& path, std::size_t faceOrdinal, const std::string& problem)
{
  const std::size_t line = FaceLineNumber(path, faceOrdinal);
  return path + ": " + (line ? "line " + std::to_string(line) + ": " : std::string()) + problem;
}

std::string Trimmed(std::string text)
{
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  return text;
}

} // namespace

bool WriteObj(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              const MeshWriteOptions& options, std::string& error)
{
  if (!ValidateMeshForWrite(mesh, cornerNormals, error))
  {
    error = path + ": " + error;
    return false;
  }
  std::string text = "# polygon mesh: " + std::to_string(mesh.points.size()) + " points, " +
                     std::to_string(mesh.polygons.size()) + " polygons\n";
  text += "o " + GroupName(options.objectName) + "\n";
  for (const Vector& hostPoint : mesh.points)
  {
    const Vector p = options.frame.PointToFile(hostPoint);
    AppendVectorLine(text, "v", p.x, p.y, &p.z);
  }

  const bool hasUVs = mesh.HasUVs();
  const std::vector<std::string> groups = GroupLines(mesh);
  ObjValueTable uvTable;
  ObjValueTable normalTable;
  std::vector<std::size_t> uvIndex(4 * mesh.polygons.size(), 0);
  std::vector<std::size_t> normalIndex(4 * mesh.polygons.size(), 0);
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const int cornerCount = mesh.polygons[polygon].IsTriangle() ? 3 : 4;
    for (int corner = 0; corner < cornerCount; ++corner)
    {
      bool isNew = false;
      const std::size_t slot = 4 * polygon + corner;
      if (hasUVs)
      {
        const UVWStruct& uvw = mesh.uvs[polygon];
        const Vector& uv = corner == 0 ? uvw.a : corner == 1 ? uvw.b : corner == 2 ? uvw.c : uvw.d;
        uvIndex[slot] = uvTable.Index(Bits(uv.x), Bits(uv.y), 0, isNew);
        if (isNew)
          AppendVectorLine(text, "vt", uv.x, uv.y, nullptr);
      }
      const Vector n = options.frame.DirectionToFile(cornerNormals[slot]);
      normalIndex[slot] = normalTable.Index(Bits(n.x), Bits(n.y), Bits(n.z), isNew);
      if (isNew)
        AppendVectorLine(text, "vn", n.x, n.y, &n.z);
    }
  }

  const std::string* currentGroup = nullptr;
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    if (!currentGroup || *currentGroup != groups[polygon])
    {
      currentGroup = &groups[polygon];
      text += "g " + *currentGroup + "\n";
    }
    const CPolygon& p = mesh.polygons[polygon];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    const int cornerCount = p.IsTriangle() ? 3 : 4;
    text += 'f';
    for (int corner = 0; corner < cornerCount; ++corner)
    {
      const std::size_t slot = 4 * polygon + corner;
      text += ' ';
      AppendInteger(text, static_cast<std::size_t>(points[corner]) + 1);
      text += '/';
      if (hasUVs)
        AppendInteger(text, uvIndex[slot]);
      text += '/';
      AppendInteger(text, normalIndex[slot]);
    }
    text += '\n';
  }
  return WriteFileAtomically(path, text, error);
}

bool ReadObj(const std::string& path, MeshData& mesh, std::string& error)
{
  if (!CheckMeshFile(path, error))
    return false;

  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  config.mtl_search_path = "";
  tinyobj::ObjReader reader;
  if (!reader.ParseFromFile(path, config))
  {
    error = path + ": " + Trimmed(reader.Error());
    return false;
  }
  const tinyobj::attrib_t& attrib = reader.GetAttrib();
  const std::size_t pointCount = attrib.vertices.size() / 3;
  const std::size_t uvCount = attrib.texcoords.size() / 2;
  if (static_cast<std::int64_t>(pointCount) > kMaxMeshElements)
  {
    error = path + ": " + std::to_string(pointCount) + " points exceed the limit";
    return false;
  }

  MeshData result;
  result.points.reserve(pointCount);
  for (std::size_t i = 0; i < pointCount; ++i)
    result.points.emplace_back(attrib.vertices[3 * i], attrib.vertices[3 * i + 1], attrib.vertices[3 * i + 2]);

  bool anyUV = false;
  std::unordered_map<std::string, std::size_t> selectionByName;
  std::size_t faceOrdinal = 0;
  for (const tinyobj::shape_t& shape : reader.GetShapes())
  {
    std::vector<std::size_t> shapeSelections;
    for (const std::string& name : SplitWords(shape.name))
    {
      if (name == kDefaultGroup)
        continue;
      const auto [it, inserted] = selectionByName.try_emplace(name, result.selections.size());
      if (inserted)
        result.selections.push_back({name, {}});
      if (std::find(shapeSelections.begin(), shapeSelections.end(), it->second) == shapeSelections.end())
        shapeSelections.push_back(it->second);
    }

    std::size_t offset = 0;
    for (const unsigned char cornerCount : shape.mesh.num_face_vertices)
    {
      const tinyobj::index_t* corners = shape.mesh.indices.data() + offset;
      offset += cornerCount;
      for (unsigned char c = 0; c < cornerCount; ++c)
      {
        const int v = corners[c].vertex_index;
        const int t = corners[c].texcoord_index;
        if (v < 0 || static_cast<std::size_t>(v) >= pointCount)
        {
          error = FaceError(path, faceOrdinal, "face index " + std::to_string(v + 1) + " out of range");
          return false;
        }
        if (t >= 0 && static_cast<std::size_t>(t) >= uvCount)
        {
          error = FaceError(path, faceOrdinal, "texture coordinate index " + std::to_string(t + 1) + " out of range");
          return false;
        }
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
    {
      error = path + ": more than " + std::to_string(kMaxMeshElements) + " polygons";
      return false;
    }
  }
  if (result.polygons.empty())
  {
    error = path + ": contains no polygons";
    return false;
  }
  if (!anyUV)
    result.uvs.clear();
  std::erase_if(result.selections, [](const NamedSelection& s) { return s.polygons.empty(); });
  mesh = std::move(result);
  return true;
}

} // namespace qhost
