#include "host/io/mesh_ply.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>

#include "host/io/atomic_file.h"
#include "host/io/mesh_file.h"
#include "host/io/mesh_vertex_split.h"

namespace qhost {
namespace {

// ---- writing ----

void AppendLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendFloat(std::vector<std::uint8_t>& out, Float value)
{
  AppendLittleEndian32(out, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
}

// ---- reading ----

enum class PlyFormat { Ascii, BinaryLittleEndian, BinaryBigEndian };

enum class PlyType { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

struct PlyProperty
{
  std::string name;
  PlyType type = PlyType::Float32;
  bool isList = false;
  PlyType countType = PlyType::UInt8;
};

struct PlyElement
{
  std::string name;
  std::uint64_t count = 0;
  std::vector<PlyProperty> properties;
};

bool ParseType(const std::string& name, PlyType& type)
{
  static const std::pair<const char*, PlyType> kTypes[] = {
    {"char", PlyType::Int8},     {"int8", PlyType::Int8},       {"uchar", PlyType::UInt8},
    {"uint8", PlyType::UInt8},   {"short", PlyType::Int16},     {"int16", PlyType::Int16},
    {"ushort", PlyType::UInt16}, {"uint16", PlyType::UInt16},   {"int", PlyType::Int32},
    {"int32", PlyType::Int32},   {"uint", PlyType::UInt32},     {"uint32", PlyType::UInt32},
    {"float", PlyType::Float32}, {"float32", PlyType::Float32}, {"double", PlyType::Float64},
    {"float64", PlyType::Float64}};
  for (const auto& [text, value] : kTypes)
    if (name == text)
    {
      type = value;
      return true;
    }
  return false;
}

std::size_t TypeSize(PlyType type)
{
  switch (type)
  {
  case PlyType::Int8:
  case PlyType::UInt8: return 1;
  case PlyType::Int16:
  case PlyType::UInt16: return 2;
  case PlyType::Int32:
  case PlyType::UInt32:
  case PlyType::Float32: return 4;
  case PlyType::Float64: return 8;
  }
  return 0;
}

struct PlyHeader
{
  PlyFormat format = PlyFormat::Ascii;
  std::vector<PlyElement> elements;
  std::size_t dataOffset = 0;
};

bool ParseHeader(const std::vector<std::uint8_t>& bytes, PlyHeader& header, std::string& error)
{
  constexpr std::string_view kEnd = "end_header";
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 1 << 16));
  if (text.substr(0, 4) != "ply\n" && text.substr(0, 5) != "ply\r\n")
  {
    error = "not a PLY file";
    return false;
  }
  std::istringstream lines{std::string(text)};
  std::string line;
  std::size_t consumed = 0;
  bool haveFormat = false;
  std::size_t lineNumber = 0;
  while (std::getline(lines, line))
  {
    consumed += line.size() + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    const std::string where = "header line " + std::to_string(lineNumber) + ": ";
    if (lineNumber == 1)
      continue; // the "ply" magic line, checked above
    if (keyword == kEnd)
    {
      if (!haveFormat)
      {
        error = "header has no format line";
        return false;
      }
      header.dataOffset = consumed;
      return true;
    }
    if (keyword == "format")
    {
      std::string format;
      std::string version;
      words >> format >> version;
      if (version != "1.0")
      {
        error = where + "unsupported PLY version '" + version + "'";
        return false;
      }
      if (format == "ascii")
        header.format = PlyFormat::Ascii;
      else if (format == "binary_little_endian")
        header.format = PlyFormat::BinaryLittleEndian;
      else if (format == "binary_big_endian")
        header.format = PlyFormat::BinaryBigEndian;
      else
      {
        error = where + "unknown format '" + format + "'";
        return false;
      }
      haveFormat = true;
    }
    else if (keyword == "element")
    {
      PlyElement element;
      std::string count;
      words >> element.name >> count;
      const auto parsed = std::from_chars(count.data(), count.data() + count.size(), element.count);
      if (element.name.empty() || parsed.ec != std::errc() || parsed.ptr != count.data() + count.size())
      {
        error = where + "malformed element line";
        return false;
      }
      header.elements.push_back(std::move(element));
    }
    else if (keyword == "property")
    {
      if (header.elements.empty())
      {
        error = where + "property before any element";
        return false;
      }
      PlyProperty property;
      std::string type;
      words >> type;
      bool ok = true;
      if (type == "list")
      {
        std::string countType;
        std::string itemType;
        words >> countType >> itemType;
        property.isList = true;
        ok = ParseType(countType, property.countType) && ParseType(itemType, property.type);
      }
      else
        ok = ParseType(type, property.type);
      words >> property.name;
      if (!ok || property.name.empty())
      {
        error = where + "malformed property line";
        return false;
      }
      header.elements.back().properties.push_back(std::move(property));
    }
    else if (keyword != "comment" && keyword != "obj_info" && !keyword.empty())
    {
      error = where + "unknown keyword '" + keyword + "'";
      return false;
    }
  }
  error = "header has no end_header line";
  return false;
}

// Reads values of the declared types from ASCII or binary data; reports
// false at the end of the data or on a malformed number.
class PlyValueReader
{
public:
  PlyValueReader(const std::vector<std::uint8_t>& bytes, std::size_t offset, PlyFormat format)
    : end_(bytes.data() + bytes.size()), cursor_(bytes.data() + offset), format_(format)
  {
  }

  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - cursor_); }

  bool Read(PlyType type, double& value)
  {
    return format_ == PlyFormat::Ascii ? ReadText(value) : ReadBinary(type, value);
  }

private:
  bool ReadText(double& value)
  {
    while (cursor_ < end_ && std::isspace(*cursor_))
      ++cursor_;
    const char* begin = reinterpret_cast<const char*>(cursor_);
    const char* stop = reinterpret_cast<const char*>(end_);
    const auto result = std::from_chars(begin, stop, value);
    if (result.ec != std::errc() || (result.ptr != stop && !std::isspace(static_cast<unsigned char>(*result.ptr))))
      return false;
    cursor_ = reinterpret_cast<const std::uint8_t*>(result.ptr);
    return true;
  }

  bool ReadBinary(PlyType type, double& value)
  {
    const std::size_t size = TypeSize(type);
    if (Remaining() < size)
      return false;
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < size; ++i)
    {
      const std::size_t byte = format_ == PlyFormat::BinaryLittleEndian ? i : size - 1 - i;
      raw |= std::uint64_t(cursor_[byte]) << (8 * i);
    }
    cursor_ += size;
    switch (type)
    {
    case PlyType::Int8: value = static_cast<std::int8_t>(raw); break;
    case PlyType::UInt8: value = static_cast<std::uint8_t>(raw); break;
    case PlyType::Int16: value = static_cast<std::int16_t>(raw); break;
    case PlyType::UInt16: value = static_cast<std::uint16_t>(raw); break;
    case PlyType::Int32: value = static_cast<std::int32_t>(raw); break;
    case PlyType::UInt32: value = static_cast<std::uint32_t>(raw); break;
    case PlyType::Float32: value = std::bit_cast<float>(static_cast<std::uint32_t>(raw)); break;
    case PlyType::Float64: value = std::bit_cast<double>(raw); break;
    }
    return true;
  }

  const std::uint8_t* end_;
  const std::uint8_t* cursor_;
  PlyFormat format_;
};

// The fewest bytes one row of the element can take, to reject counts the
// file cannot possibly hold before allocating for them.
std::size_t MinimumRowBytes(const PlyElement& element, PlyFormat format)
{
  std::size_t bytes = 0;
  for (const PlyProperty& property : element.properties)
    bytes += format == PlyFormat::Ascii ? 2 : (property.isList ? TypeSize(property.countType) : TypeSize(property.type));
  return std::max<std::size_t>(bytes, 1);
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

bool WritePly(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
              std::string& error)
{
  if (!ValidateMeshForWrite(mesh, cornerNormals, error))
  {
    error = path + ": " + error;
    return false;
  }
  const bool hasUVs = mesh.HasUVs();
  const CornerVertexMesh split = SplitCorners(mesh, cornerNormals);
  std::string header = "ply\nformat binary_little_endian 1.0\ncomment polygon mesh with per-vertex normals\n";
  header += "element vertex " + std::to_string(split.vertices.size()) + "\n";
  header += "property float x\nproperty float y\nproperty float z\n";
  header += "property float nx\nproperty float ny\nproperty float nz\n";
  if (hasUVs)
    header += "property float s\nproperty float t\n";
  header += "element face " + std::to_string(mesh.polygons.size()) + "\n";
  header += "property list uchar int vertex_indices\nend_header\n";

  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.reserve(bytes.size() + split.vertices.size() * (hasUVs ? 32 : 24) + mesh.polygons.size() * 17);
  for (const CornerVertex& v : split.vertices)
  {
    for (Float value : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z})
      AppendFloat(bytes, value);
    if (hasUVs)
    {
      AppendFloat(bytes, v.u);
      AppendFloat(bytes, v.v);
    }
  }
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const int cornerCount = mesh.polygons[polygon].IsTriangle() ? 3 : 4;
    bytes.push_back(static_cast<std::uint8_t>(cornerCount));
    for (int corner = 0; corner < cornerCount; ++corner)
      AppendLittleEndian32(bytes, split.corners[4 * polygon + corner]);
  }
  return WriteFileAtomically(path, bytes, error);
}

bool ReadPly(const std::string& path, MeshData& mesh, std::string& error)
{
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxMeshFileBytes, bytes, error))
    return false;
  PlyHeader header;
  if (!ParseHeader(bytes, header, error))
  {
    error = path + ": " + error;
    return false;
  }

  PlyValueReader reader(bytes, header.dataOffset, header.format);
  MeshData result;
  std::vector<Vector> vertexUVs;
  bool haveVertices = false;
  bool haveFaces = false;
  std::vector<double> row;
  std::vector<Int32> corners;
  for (const PlyElement& element : header.elements)
  {
    const std::size_t minimumBytes = MinimumRowBytes(element, header.format);
    if (element.count > static_cast<std::uint64_t>(kMaxMeshElements) || element.count > reader.Remaining() / minimumBytes)
    {
      error = path + ": header claims " + std::to_string(element.count) + " " + element.name +
              " entries, more than the file can hold";
      return false;
    }
    const bool isVertex = element.name == "vertex";
    const bool isFace = element.name == "face";
    const int xyz[3] = {FindProperty(element, {"x"}), FindProperty(element, {"y"}), FindProperty(element, {"z"})};
    const int u = FindProperty(element, {"s", "u", "texture_u", "texture_s"});
    const int v = FindProperty(element, {"t", "v", "texture_v", "texture_t"});
    int indexList = -1;
    for (std::size_t i = 0; i < element.properties.size(); ++i)
      if (element.properties[i].isList &&
          (element.properties[i].name == "vertex_indices" || element.properties[i].name == "vertex_index"))
        indexList = static_cast<int>(i);
    if (isVertex && (xyz[0] < 0 || xyz[1] < 0 || xyz[2] < 0))
    {
      error = path + ": vertex element lacks x, y or z";
      return false;
    }
    if (isFace && indexList < 0)
    {
      error = path + ": face element lacks vertex_indices";
      return false;
    }
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
      const std::string where = path + ": " + element.name + " " + std::to_string(item) + ": ";
      for (std::size_t p = 0; p < element.properties.size(); ++p)
      {
        const PlyProperty& property = element.properties[p];
        if (!property.isList)
        {
          if (!reader.Read(property.type, row[p]))
          {
            error = where + "unexpected end of data or malformed value";
            return false;
          }
          continue;
        }
        double count = 0;
        if (!reader.Read(property.countType, count) || count < 0 || count > kMaxFaceCorners || count != std::floor(count))
        {
          error = where + "bad list length";
          return false;
        }
        const bool keep = isFace && static_cast<int>(p) == indexList;
        if (keep)
          corners.clear();
        for (int i = 0; i < static_cast<int>(count); ++i)
        {
          double value = 0;
          if (!reader.Read(property.type, value))
          {
            error = where + "unexpected end of data or malformed value";
            return false;
          }
          if (keep)
            corners.push_back(value >= 0 && value < 2147483647.0 ? static_cast<Int32>(value) : -1);
        }
      }
      if (isVertex)
      {
        result.points.emplace_back(row[xyz[0]], row[xyz[1]], row[xyz[2]]);
        if (readUVs)
          vertexUVs.emplace_back(row[u], row[v], 0.0);
      }
      else if (isFace)
      {
        if (corners.size() < 3)
        {
          error = where + "has " + std::to_string(corners.size()) + " corners";
          return false;
        }
        if (corners.size() == 4)
          result.polygons.emplace_back(corners[0], corners[1], corners[2], corners[3]);
        else
          for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            result.polygons.emplace_back(corners[0], corners[k], corners[k + 1]);
      }
    }
  }
  if (!haveVertices || !haveFaces || result.polygons.empty())
  {
    error = path + ": contains no faces";
    return false;
  }

  const auto pointCount = static_cast<Int32>(result.points.size());
  for (std::size_t i = 0; i < result.polygons.size(); ++i)
  {
    const CPolygon& p = result.polygons[i];
    for (Int32 index : {p.a, p.b, p.c, p.d})
      if (index < 0 || index >= pointCount)
      {
        error = path + ": face index " + std::to_string(index) + " out of range (" + std::to_string(pointCount) +
                " vertices)";
        return false;
      }
  }
  if (!vertexUVs.empty())
  {
    result.uvs.reserve(result.polygons.size());
    for (const CPolygon& p : result.polygons)
      result.uvs.push_back({vertexUVs[p.a], vertexUVs[p.b], vertexUVs[p.c], vertexUVs[p.d]});
  }
  WeldIdenticalPoints(result);
  mesh = std::move(result);
  return true;
}

} // namespace qhost
