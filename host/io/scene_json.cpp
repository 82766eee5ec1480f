#include "host/io/scene_json.h"

#include <cmath>
#include <limits>

namespace qhost::scene {

void ReadBudget::Spend(std::uint64_t count, const std::string& path)
{
  if (count > kMaxElements - elements)
    throw SceneError(path, "more than " + std::to_string(kMaxElements) + " elements in the scene");
  elements += count;
}

NestingGuard::NestingGuard(ReadBudget& budget, const std::string& path) : budget_(budget)
{
  if (++budget_.depth > kMaxNesting)
  {
    --budget_.depth;
    throw SceneError(path, "nested deeper than " + std::to_string(kMaxNesting) + " levels");
  }
}

void RequireObject(const Json& value, const std::string& path)
{
  if (!value.is_object())
    throw SceneError(path, "expected an object");
}

const Json& Member(const Json& object, const char* key, const std::string& path)
{
  RequireObject(object, path);
  const auto it = object.find(key);
  if (it == object.end())
    throw SceneError(path, std::string("missing \"") + key + "\"");
  return *it;
}

const Json* OptionalArray(const Json& object, const char* key, const std::string& path)
{
  RequireObject(object, path);
  const auto it = object.find(key);
  if (it == object.end())
    return nullptr;
  if (!it->is_array())
    throw SceneError(Key(path, key), "expected an array");
  return &*it;
}

const Json& ArrayMember(const Json& object, const char* key, const std::string& path)
{
  const Json& value = Member(object, key, path);
  if (!value.is_array())
    throw SceneError(Key(path, key), "expected an array");
  return value;
}

Int32 ReadInt32(const Json& value, const std::string& path)
{
  if (value.is_number_unsigned() && value.get<std::uint64_t>() <= std::uint64_t(std::numeric_limits<Int32>::max()))
    return Int32(value.get<std::uint64_t>());
  if (value.is_number_integer() && !value.is_number_unsigned())
  {
    const auto v = value.get<std::int64_t>();
    if (v >= std::numeric_limits<Int32>::min() && v <= std::numeric_limits<Int32>::max())
      return Int32(v);
  }
  throw SceneError(path, "expected a 32-bit integer");
}

Int64 ReadUid(const Json& value, const std::string& path)
{
  if (value.is_number_unsigned() && value.get<std::uint64_t>() < std::uint64_t(kMaxUid))
    return Int64(value.get<std::uint64_t>());
  if (value.is_number_integer() && !value.is_number_unsigned() && value.get<std::int64_t>() >= 0 &&
      value.get<std::int64_t>() < kMaxUid)
    return value.get<std::int64_t>();
  throw SceneError(path, "expected a unique ID from 0 to 2^53");
}

Float ReadReal(const Json& value, const std::string& path)
{
  if (value.is_number())
    return value.get<Float>();
  if (value.is_string())
  {
    const auto& text = value.get_ref<const std::string&>();
    if (text == "nan")
      return std::numeric_limits<Float>::quiet_NaN();
    if (text == "inf")
      return std::numeric_limits<Float>::infinity();
    if (text == "-inf")
      return -std::numeric_limits<Float>::infinity();
  }
  throw SceneError(path, "expected a number");
}

Vector ReadVector(const Json& value, const std::string& path)
{
  if (!value.is_array() || value.size() != 3)
    throw SceneError(path, "expected a vector of 3 numbers");
  return {ReadReal(value[0], Index(path, 0)), ReadReal(value[1], Index(path, 1)), ReadReal(value[2], Index(path, 2))};
}

Matrix ReadMatrix(const Json& value, const std::string& path)
{
  if (!value.is_array() || value.size() != 12)
    throw SceneError(path, "expected a matrix of 12 numbers");
  Float f[12];
  for (size_t i = 0; i < 12; ++i)
    f[i] = ReadReal(value[i], Index(path, i));
  return {{f[0], f[1], f[2]}, {f[3], f[4], f[5]}, {f[6], f[7], f[8]}, {f[9], f[10], f[11]}};
}

String ReadString(const Json& value, const std::string& path)
{
  if (!value.is_string())
    throw SceneError(path, "expected a string");
  return value.get<std::string>();
}

// JSON has no NaN or infinity; those are spelled as strings.
Json RealJson(Float value)
{
  if (std::isnan(value))
    return "nan";
  if (std::isinf(value))
    return value > 0 ? "inf" : "-inf";
  return value;
}

Json VectorJson(const Vector& v) { return Json::array({RealJson(v.x), RealJson(v.y), RealJson(v.z)}); }

Json MatrixJson(const Matrix& m)
{
  Json out = Json::array();
  for (const Vector* v : {&m.off, &m.v1, &m.v2, &m.v3})
    for (Float f : {v->x, v->y, v->z})
      out.push_back(RealJson(f));
  return out;
}

std::string Index(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }
std::string Key(const std::string& path, const char* key) { return path + "." + key; }

} // namespace qhost::scene
