#include "host/io/ply_format.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "host/core/input_error.h"

namespace qhost {
namespace {

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

} // namespace

std::size_t PlyTypeSize(PlyType type)
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

PlyHeader ParsePlyHeader(std::span<const std::uint8_t> bytes, const std::string& name)
{
  PlyHeader header;
  constexpr std::string_view kEnd = "end_header";
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 1 << 16));
  if (text.substr(0, 4) != "ply\n" && text.substr(0, 5) != "ply\r\n")
    throw InputError(name + ": not a PLY file");
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
        throw InputError(name + ": header has no format line");
      // The last header line may end the file without a newline.
      header.dataOffset = std::min(consumed, bytes.size());
      return header;
    }
    if (keyword == "format")
    {
      std::string format;
      std::string version;
      words >> format >> version;
      if (version != "1.0")
        throw InputError(name + ": " + where + "unsupported PLY version '" + version + "'");
      if (format == "ascii")
        header.format = PlyFormat::Ascii;
      else if (format == "binary_little_endian")
        header.format = PlyFormat::BinaryLittleEndian;
      else if (format == "binary_big_endian")
        header.format = PlyFormat::BinaryBigEndian;
      else
        throw InputError(name + ": " + where + "unknown format '" + format + "'");
      haveFormat = true;
    }
    else if (keyword == "element")
    {
      PlyElement element;
      std::string count;
      words >> element.name >> count;
      const auto parsed = std::from_chars(count.data(), count.data() + count.size(), element.count);
      if (element.name.empty() || parsed.ec != std::errc() || parsed.ptr != count.data() + count.size())
        throw InputError(name + ": " + where + "malformed element line");
      header.elements.push_back(std::move(element));
    }
    else if (keyword == "property")
    {
      if (header.elements.empty())
        throw InputError(name + ": " + where + "property before any element");
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
        throw InputError(name + ": " + where + "malformed property line");
      header.elements.back().properties.push_back(std::move(property));
    }
    else if (keyword != "comment" && keyword != "obj_info" && !keyword.empty())
      throw InputError(name + ": " + where + "unknown keyword '" + keyword + "'");
  }
  throw InputError(name + ": header has no end_header line");
}

// The fewest bytes one row of the element can take, to reject counts the
// file cannot possibly hold before allocating for them.
std::size_t MinimumPlyRowBytes(const PlyElement& element, PlyFormat format)
{
  std::size_t bytes = 0;
  for (const PlyProperty& property : element.properties)
    bytes += format == PlyFormat::Ascii ? 2 : (property.isList ? PlyTypeSize(property.countType) : PlyTypeSize(property.type));
  return std::max<std::size_t>(bytes, 1);
}

} // namespace qhost
