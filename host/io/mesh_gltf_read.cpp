#include "host/io/mesh_file.h"
#include "host/io/mesh_gltf.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <sys/stat.h>
#include <tiny_gltf.h>
#include <unordered_map>

#include "host/core/input_error.h"
#include "host/io/json_depth.h"
#include "host/io/mesh_read_checks.h"
#include "host/io/mesh_vertex_split.h"
#include "host/core/read_file.h"

namespace qhost {
namespace {

bool NoImageDecoding(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
                     void*)
{
  return true; // only geometry is read; textures stay undecoded
}

// A validated view of an accessor's elements.
struct AccessorData
{
  const unsigned char* base = nullptr;
  std::size_t stride = 0;
  std::size_t count = 0;
  int componentType = 0;
  bool normalized = false;

  double Component(std::size_t element, int component) const
  {
    const unsigned char* p = base + element * stride;
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
      float v;
      std::memcpy(&v, p + 4 * component, 4);
      return v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: {
      const double v = p[component];
      return normalized ? v / 255.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      std::uint16_t v;
      std::memcpy(&v, p + 2 * component, 2);
      return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      std::uint32_t v;
      std::memcpy(&v, p + 4 * component, 4);
      return v;
    }
    }
    return 0.0;
  }
};

// a + b, or false when it does not fit in size_t.
bool AddChecked(std::size_t a, std::size_t b, std::size_t& sum)
{
  return !__builtin_add_overflow(a, b, &sum);
}

// Where an accessor's bytes are: every offset, stride and count comes from the
// file, so each sum and product is checked for wrap-around before it is trusted.
AccessorData GetAccessor(const tinygltf::Model& model, int index, std::initializer_list<int> componentTypes, int type,
                         const std::string& what)
{
  const std::string name = what + " accessor " + std::to_string(index);
  if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
    throw InputError(name + " does not exist");
  const tinygltf::Accessor& accessor = model.accessors[index];
  if (std::find(componentTypes.begin(), componentTypes.end(), accessor.componentType) == componentTypes.end() ||
      accessor.type != type)
    throw InputError(name + " has an unsupported element type");
  if (accessor.sparse.isSparse || accessor.bufferView < 0 ||
      static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size())
    throw InputError(name + " has no plain buffer view (sparse accessors are not supported)");
  const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size())
    throw InputError(name + ": buffer view " + std::to_string(accessor.bufferView) + " refers to a missing buffer");
  if (accessor.count > static_cast<std::size_t>(kMaxMeshElements) * 3)
    throw InputError(name + " has " + std::to_string(accessor.count) + " elements, more than the limit of " +
                     std::to_string(kMaxMeshElements * 3));
  const std::vector<unsigned char>& buffer = model.buffers[view.buffer].data;
  const std::size_t elementSize = static_cast<std::size_t>(tinygltf::GetComponentSizeInBytes(accessor.componentType)) *
                                  static_cast<std::size_t>(tinygltf::GetNumComponentsInType(accessor.type));
  const std::size_t stride = view.byteStride ? view.byteStride : elementSize;
  std::size_t viewEnd = 0;
  std::size_t start = 0;
  std::size_t accessorEnd = accessor.byteOffset; // relative to the view
  // count <= 3e8 and stride < 256 (or the element size), so the product cannot wrap.
  // An empty accessor still has to start inside its view: its start is a pointer.
  const bool inside =
    stride >= elementSize && stride <= 256 && AddChecked(view.byteOffset, view.byteLength, viewEnd) &&
    viewEnd <= buffer.size() && AddChecked(view.byteOffset, accessor.byteOffset, start) &&
    (accessor.count == 0 || AddChecked(accessor.byteOffset, (accessor.count - 1) * stride + elementSize, accessorEnd)) &&
    accessorEnd <= view.byteLength;
  if (!inside)
    throw InputError(name + " reaches outside its buffer");
  return {buffer.data() + start, stride, accessor.count, accessor.componentType, accessor.normalized};
}

Matrix NodeMatrix(const tinygltf::Node& node)
{
  Matrix m;
  if (node.matrix.size() == 16)
  {
    const std::vector<double>& c = node.matrix; // column-major
    m.v1 = {c[0], c[1], c[2]};
    m.v2 = {c[4], c[5], c[6]};
    m.v3 = {c[8], c[9], c[10]};
    m.off = {c[12], c[13], c[14]};
    return m;
  }
  if (node.rotation.size() == 4)
  {
    const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
    m.v1 = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)};
    m.v2 = {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)};
    m.v3 = {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
  }
  if (node.scale.size() == 3)
  {
    m.v1 *= node.scale[0];
    m.v2 *= node.scale[1];
    m.v3 *= node.scale[2];
  }
  if (node.translation.size() == 3)
    m.off = {node.translation[0], node.translation[1], node.translation[2]};
  return m;
}

bool IsFinite(const Matrix& m)
{
  for (const Vector& v : {m.off, m.v1, m.v2, m.v3})
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
      return false;
  return true;
}

// Walks the node graph from the scene's roots. Nodes may be shared (a node
// listed as the child of several parents is one instance per parent), so the
// walk counts instances and stops at kMaxNodeInstances instead of doubling
// its work with every level of sharing.
class GltfMeshCollector
{
public:
  GltfMeshCollector(const tinygltf::Model& model, MeshData& mesh) : model_(model), mesh_(mesh) {}

  void AddNode(int index, const Matrix& parent, int depth)
  {
    const std::string name = "node " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= model_.nodes.size())
      throw InputError(name + " does not exist");
    if (depth > kMaxDepth)
      throw InputError(name + ": the node hierarchy is cyclic or deeper than " + std::to_string(kMaxDepth) + " levels");
    if (++instances_ > kMaxNodeInstances)
      throw InputError("the scene places more than " + std::to_string(kMaxNodeInstances) +
                       " node instances (nodes shared by several parents count once per parent)");
    const tinygltf::Node& node = model_.nodes[index];
    const Matrix world = parent * NodeMatrix(node);
    if (!IsFinite(world))
      throw InputError(name + ": its transform is not finite");
    if (node.mesh >= 0)
      AddMesh(node.mesh, world, name);
    for (int child : node.children)
      AddNode(child, world, depth + 1);
  }

  void AddMesh(int index, const Matrix& transform, const std::string& owner)
  {
    if (static_cast<std::size_t>(index) >= model_.meshes.size())
      throw InputError(owner + ": mesh " + std::to_string(index) + " does not exist");
    const tinygltf::Mesh& gltfMesh = model_.meshes[index];
    const auto firstPolygon = static_cast<Int32>(mesh_.polygons.size());
    for (std::size_t p = 0; p < gltfMesh.primitives.size(); ++p)
      AddPrimitive(gltfMesh.primitives[p], transform,
                   owner + ", mesh " + std::to_string(index) + ", primitive " + std::to_string(p));
    if (!gltfMesh.name.empty())
      AddToSelection(gltfMesh.name, firstPolygon, static_cast<Int32>(mesh_.polygons.size()));
  }

  bool HasUVs() const { return hasUVs_; }

private:
  static constexpr int kMaxDepth = 256;
  static constexpr std::size_t kMaxNodeInstances = 100'000;

  void AddPrimitive(const tinygltf::Primitive& primitive, const Matrix& transform, const std::string& where)
  {
    if (primitive.mode != -1 && primitive.mode != TINYGLTF_MODE_TRIANGLES)
      return; // points, lines and strips are not polygons
    const auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end())
      return;
    const AccessorData points =
      GetAccessor(model_, position->second, {TINYGLTF_COMPONENT_TYPE_FLOAT}, TINYGLTF_TYPE_VEC3, where + ": POSITION");
    const auto texcoord = primitive.attributes.find("TEXCOORD_0");
    const bool hasUVs = texcoord != primitive.attributes.end();
    AccessorData uvs;
    if (hasUVs)
      uvs = GetAccessor(model_, texcoord->second,
                        {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                        TINYGLTF_TYPE_VEC2, where + ": TEXCOORD_0");
    if (hasUVs && uvs.count != points.count)
      throw InputError(where + ": TEXCOORD_0 and POSITION counts differ");
    const bool indexed = primitive.indices >= 0;
    AccessorData indices;
    if (indexed)
      indices = GetAccessor(model_, primitive.indices,
                            {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                             TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT},
                            TINYGLTF_TYPE_SCALAR, where + ": indices");
    const std::size_t cornerCount = indexed ? indices.count : points.count;
    if (mesh_.points.size() + points.count > static_cast<std::size_t>(kMaxMeshElements) ||
        mesh_.polygons.size() + cornerCount / 3 > static_cast<std::size_t>(kMaxMeshElements))
      throw InputError(where + ": more than " + std::to_string(kMaxMeshElements) + " points or triangles in all");

    const auto base = static_cast<Int32>(mesh_.points.size());
    for (std::size_t i = 0; i < points.count; ++i)
    {
      const Vector local(points.Component(i, 0), points.Component(i, 1), points.Component(i, 2));
      const Vector placed = transform * local;
      RequireCoordinate(local, [&] { return where + ": POSITION " + std::to_string(i); });
      RequireCoordinate(placed, [&] { return where + ": POSITION " + std::to_string(i) + " after the node transform"; });
      mesh_.points.push_back(placed);
    }
    for (std::size_t i = 0; hasUVs && i < uvs.count; ++i)
      RequireCoordinate(Vector(uvs.Component(i, 0), uvs.Component(i, 1), 0.0),
                        [&] { return where + ": TEXCOORD_0 " + std::to_string(i); });
    // A mirroring transform turns the faces inside out unless the winding flips too.
    const bool mirrored = transform.Determinant() < 0.0;
    hasUVs_ = hasUVs_ || hasUVs;
    auto uvOf = [&](std::size_t vertex) {
      return hasUVs ? Vector(uvs.Component(vertex, 0), 1.0 - uvs.Component(vertex, 1), 0.0) : Vector();
    };
    for (std::size_t t = 0; t + 2 < cornerCount; t += 3)
    {
      std::size_t corner[3];
      for (std::size_t k = 0; k < 3; ++k)
      {
        corner[k] = indexed ? static_cast<std::size_t>(indices.Component(t + k, 0)) : t + k;
        RequirePointIndex(static_cast<std::int64_t>(corner[k]), 0, points.count,
                          [&] { return where + ": triangle " + std::to_string(t / 3); });
      }
      if (mirrored)
        std::swap(corner[1], corner[2]);
      mesh_.polygons.emplace_back(base + static_cast<Int32>(corner[0]), base + static_cast<Int32>(corner[1]),
                                  base + static_cast<Int32>(corner[2]));
      const Vector a = uvOf(corner[0]), b = uvOf(corner[1]), c = uvOf(corner[2]);
      mesh_.uvs.push_back({a, b, c, c});
    }
  }

  void AddToSelection(const std::string& name, Int32 begin, Int32 end)
  {
    auto [it, inserted] = selectionByName_.try_emplace(name, mesh_.selections.size());
    if (inserted)
      mesh_.selections.push_back(NamedSelection{name, {}});
    std::vector<Int32>& polygons = mesh_.selections[it->second].polygons;
    for (Int32 polygon = begin; polygon < end; ++polygon)
      polygons.push_back(polygon);
  }

  const tinygltf::Model& model_;
  MeshData& mesh_;
  std::unordered_map<std::string, std::size_t> selectionByName_;
  std::size_t instances_ = 0;
  bool hasUVs_ = false;
};

std::string Trimmed(std::string text)
{
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  return text;
}

// The JSON text of a .gltf file, or the JSON chunk of a GLB (whose header
// gives the chunk's length); empty when a GLB is too short to hold one.
std::string_view JsonPart(std::span<const std::uint8_t> bytes, bool binary)
{
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  if (!binary)
    return {text, bytes.size()};
  constexpr std::size_t kHeader = 12, kChunkHeader = 8;
  if (bytes.size() < kHeader + kChunkHeader)
    return {};
  std::uint32_t length = 0;
  std::memcpy(&length, bytes.data() + kHeader, 4);
  return {text + kHeader + kChunkHeader, std::min<std::size_t>(length, bytes.size() - kHeader - kChunkHeader)};
}

// External buffers and images are read through these, so a URI naming a FIFO,
// a device or a huge file is refused like any other input file.
bool ExternalFileExists(const std::string& path, void*)
{
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string KeepPath(const std::string& path, void*)
{
  return path;
}

bool ReadExternalFile(std::vector<unsigned char>* bytes, std::string* error, const std::string& path, void*)
{
  try
  {
    *bytes = ReadFileBytes(path, kMaxMeshFileBytes);
    return true;
  }
  catch (const std::exception& e)
  {
    *error = e.what();
    return false;
  }
}

bool NoExternalFiles(const std::string&, void*)
{
  return false;
}

bool NeverWrite(std::string* error, const std::string&, const std::vector<unsigned char>&, void*)
{
  *error = "writing is not allowed while reading";
  return false;
}

} // namespace

MeshData ParseGltf(std::span<const std::uint8_t> bytes, const std::string& name, const std::string& baseDirectory)
{
  // tinygltf parses JSON recursively and counts bytes in 32 bits.
  constexpr std::size_t kMaxJsonDepth = 64;
  if (bytes.size() > std::numeric_limits<unsigned int>::max())
    throw InputError(name + ": larger than 4 GiB");
  const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
  if (JsonNestingDepth(JsonPart(bytes, binary)) > kMaxJsonDepth)
    throw InputError(name + ": JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(NoImageDecoding, nullptr);
  loader.SetFsCallbacks({baseDirectory.empty() ? NoExternalFiles : ExternalFileExists, KeepPath, ReadExternalFile,
                         NeverWrite, nullptr});
  tinygltf::Model model;
  std::string loadError;
  std::string warning;
  const auto size = static_cast<unsigned int>(bytes.size());
  const bool loaded =
    binary ? loader.LoadBinaryFromMemory(&model, &loadError, &warning, bytes.data(), size, baseDirectory)
           : loader.LoadASCIIFromString(&model, &loadError, &warning, reinterpret_cast<const char*>(bytes.data()), size,
                                        baseDirectory);
  if (!loaded)
    throw InputError(name + ": " + (loadError.empty() ? std::string("not a glTF file") : Trimmed(loadError)));

  MeshData result;
  GltfMeshCollector collector(model, result);
  try
  {
    if (model.scenes.empty())
      for (std::size_t m = 0; m < model.meshes.size(); ++m)
        collector.AddMesh(static_cast<int>(m), Matrix(), "file");
    else
    {
      const std::size_t sceneIndex = model.defaultScene >= 0 ? static_cast<std::size_t>(model.defaultScene) : 0;
      if (sceneIndex >= model.scenes.size())
        throw InputError("default scene " + std::to_string(sceneIndex) + " does not exist");
      for (int node : model.scenes[sceneIndex].nodes)
        collector.AddNode(node, Matrix(), 0);
    }
  }
  catch (const InputError& e)
  {
    throw InputError(name + ": " + e.what());
  }
  if (result.polygons.empty())
    throw InputError(name + ": contains no triangles");
  if (!collector.HasUVs())
    result.uvs.clear();
  WeldIdenticalPoints(result);
  return result;
}

} // namespace qhost
