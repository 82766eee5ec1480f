// The PLY container: header parsing and reading of typed values from ASCII
// or binary element data.
#pragma once

#include <bit>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace qhost {

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

struct PlyHeader
{
  PlyFormat format = PlyFormat::Ascii;
  std::vector<PlyElement> elements;
  std::size_t dataOffset = 0;
};

std::size_t PlyTypeSize(PlyType type);

// Parses the header at the start of bytes; dataOffset is where elements begin.
// Throws InputError naming the file (name) and the header line at fault.
PlyHeader ParsePlyHeader(std::span<const std::uint8_t> bytes, const std::string& name);

// The fewest bytes one row of the element can take, to reject counts the
// file cannot possibly hold before allocating for them.
std::size_t MinimumPlyRowBytes(const PlyElement& element, PlyFormat format);

// Reads values of the declared types from ASCII or binary data; reports
// false at the end of the data or on a malformed number.
class PlyValueReader
{
public:
  PlyValueReader(std::span<const std::uint8_t> bytes, std::size_t offset, PlyFormat format)
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
    const std::size_t size = PlyTypeSize(type);
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

} // namespace qhost
