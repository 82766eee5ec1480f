// JSON building blocks shared by the scene reader and writer: the document
// type, the error the reader raises internally, limits, and the coding of
// numbers, vectors and matrices.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "host/core/input_error.h"
#include "hostapi/types.h"

namespace qhost::scene {

// Ordered, so saved files keep the order fields are written in.
using Json = nlohmann::ordered_json;

constexpr Int32 kFormatVersion = 1;
constexpr std::uint64_t kMaxFileBytes = std::uint64_t(512) << 20;
// Nested objects, shaders, layers, containers and field layers together.
constexpr Int32 kMaxNesting = 256;
// Points, polygons, uvw entries and selected-index spans, summed over the file.
constexpr std::uint64_t kMaxElements = 100'000'000;
// Entries of one parameter container; real nodes hold a few hundred.
constexpr std::size_t kMaxContainerEntries = 10'000;
// Unique IDs stay exact in a JSON double and leave room above them for new nodes.
constexpr Int64 kMaxUid = Int64(1) << 53;

// Raised while reading, naming the JSON path of the value at fault.
struct SceneError : InputError
{
  SceneError(const std::string& path, const std::string& problem) : InputError(path + ": " + problem) {}
};

// What one load may still allocate and which unique IDs it has seen.
struct ReadBudget
{
  Int32 depth = 0;
  std::uint64_t elements = 0;
  std::unordered_set<Int64> uids;

  // Charges count elements against kMaxElements.
  void Spend(std::uint64_t count, const std::string& path);
};

// Increments the nesting depth for one recursive step and refuses kMaxNesting.
class NestingGuard
{
public:
  NestingGuard(ReadBudget& budget, const std::string& path);
  ~NestingGuard() { --budget_.depth; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

private:
  ReadBudget& budget_;
};

// ---- Reading; each raises SceneError naming path ----
const Json& Member(const Json& object, const char* key, const std::string& path);
// Null when the member is absent; a present member must be an array.
const Json* OptionalArray(const Json& object, const char* key, const std::string& path);
const Json& ArrayMember(const Json& object, const char* key, const std::string& path);
void RequireObject(const Json& value, const std::string& path);
Int32 ReadInt32(const Json& value, const std::string& path);
Int64 ReadUid(const Json& value, const std::string& path);
// A number, or "nan", "inf", "-inf".
Float ReadReal(const Json& value, const std::string& path);
Vector ReadVector(const Json& value, const std::string& path);
// Twelve numbers: offset, v1, v2, v3.
Matrix ReadMatrix(const Json& value, const std::string& path);
String ReadString(const Json& value, const std::string& path);

// ---- Writing ----
Json RealJson(Float value);
Json VectorJson(const Vector& v);
Json MatrixJson(const Matrix& m);

std::string Index(const std::string& path, size_t index);
std::string Key(const std::string& path, const char* key);

} // namespace qhost::scene
