#include "host/io/mesh_file.h"
#include "host/io/mesh_gltf.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <tiny_gltf.h>

#include "host/io/mesh_vertex_split.h"

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

bool GetAccessor(const tinygltf::Model& model, int index, std::initializer_list<int> componentTypes, int type,
                 const char* what, AccessorData& data, std::string& error)
{
  if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
  {
    error = std::string(what) + " accessor " + std::to_string(index) + " does not exist";
    return false;
  }
  const tinygltf::Accessor& accessor = model.accessors[index];
  if (std::find(componentTypes.begin(), componentTypes.end(), accessor.componentType) == componentTypes.end() ||
      accessor.type != type)
  {
    error = std::string(what) + " accessor " + std::to_string(index) + " has an unsupported element type";
    return false;
  }
  if (accessor.sparse.isSparse || accessor.bufferView < 0 ||
      static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size())
  {
    error = std::string(what) + " accessor " + std::to_string(index) + " has no plain buffer view";
    return false;
  }
  const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size())
  {
    error = std::string(what) + " buffer view refers to a missing buffer";
    return false;
  }
  const std::vector<unsigned char>& buffer = model.buffers[view.buffer].data;
  const std::size_t elementSize = static_cast<std::size_t>(tinygltf::GetComponentSizeInBytes(accessor.componentType)) *
                                  static_cast<std::size_t>(tinygltf::GetNumComponentsInType(accessor.type));
  const std::size_t stride = view.byteStride ? view.byteStride : elementSize;
  const std::size_t start = view.byteOffset + accessor.byteOffset;
  const bool fitsView = accessor.count == 0 ||
                        (accessor.byteOffset + (accessor.count - 1) * stride + elementSize <= view.byteLength);
  if (stride < elementSize || view.byteOffset + view.byteLength > buffer.size() || !fitsView ||
      accessor.count > static_cast<std::size_t>(kMaxMeshElements) * 3)
  {
    error = std::string(what) + " accessor " + std::to_string(index) + " reaches outside its buffer";
    return false;
  }
  data = {buffer.data() + start, stride, accessor.count, accessor.componentType, accessor.normalized};
  return true;
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

class GltfMeshCollector
{
public:
  GltfMeshCollector(const tinygltf::Model& model, MeshData& mesh) : model_(model), mesh_(mesh) {}

  bool AddNode(int index, const Matrix& parent, int depth, std::string& error)
  {
    if (index < 0 || static_cast<std::size_t>(index) >= model_.nodes.size() || depth > kMaxDepth)
    {
      error = "node " + std::to_string(index) + " is missing or the node hierarchy is cyclic";
      return false;
    }
    const tinygltf::Node& node = model_.nodes[index];
    const Matrix world = parent * NodeMatrix(node);
    if (node.mesh >= 0 && !AddMesh(node.mesh, world, error))
      return false;
    for (int child : node.children)
      if (!AddNode(child, world, depth + 1, error))
        return false;
    return true;
  }

  bool AddMesh(int index, const Matrix& transform, std::string& error)
  {
    if (static_cast<std::size_t>(index) >= model_.meshes.size())
    {
      error = "mesh " + std::to_string(index) + " does not exist";
      return false;
    }
    const tinygltf::Mesh& gltfMesh = model_.meshes[index];
    const auto firstPolygon = static_cast<Int32>(mesh_.polygons.size());
    for (const tinygltf::Primitive& primitive : gltfMesh.primitives)
      if (!AddPrimitive(primitive, transform, error))
        return false;
    if (!gltfMesh.name.empty())
      AddToSelection(gltfMesh.name, firstPolygon, static_cast<Int32>(mesh_.polygons.size()));
    return true;
  }

  bool HasUVs() const { return hasUVs_; }

private:
  static constexpr int kMaxDepth = 256;

  bool AddPrimitive(const tinygltf::Primitive& primitive, const Matrix& transform, std::string& error)
  {
    if (primitive.mode != -1 && primitive.mode != TINYGLTF_MODE_TRIANGLES)
      return true; // points, lines and strips are not polygons
    const auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end())
      return true;
    AccessorData points;
    if (!GetAccessor(model_, position->second, {TINYGLTF_COMPONENT_TYPE_FLOAT}, TINYGLTF_TYPE_VEC3, "POSITION",
                     points, error))
      return false;
    AccessorData uvs;
    const auto texcoord = primitive.attributes.find("TEXCOORD_0");
    const bool hasUVs = texcoord != primitive.attributes.end();
    if (hasUVs && !GetAccessor(model_, texcoord->second,
                               {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                                TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                               TINYGLTF_TYPE_VEC2, "TEXCOORD_0", uvs, error))
      return false;
    if (hasUVs && uvs.count != points.count)
    {
      error = "TEXCOORD_0 and POSITION counts differ";
      return false;
    }
    AccessorData indices;
    const bool indexed = primitive.indices >= 0;
    if (indexed &&
        !GetAccessor(model_, primitive.indices,
                     {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT},
                     TINYGLTF_TYPE_SCALAR, "indices", indices, error))
      return false;
    const std::size_t cornerCount = indexed ? indices.count : points.count;
    if (mesh_.points.size() + points.count > static_cast<std::size_t>(kMaxMeshElements) ||
        mesh_.polygons.size() + cornerCount / 3 > static_cast<std::size_t>(kMaxMeshElements))
    {
      error = "more than " + std::to_string(kMaxMeshElements) + " points or triangles";
      return false;
    }

    const auto base = static_cast<Int32>(mesh_.points.size());
    for (std::size_t i = 0; i < points.count; ++i)
      mesh_.points.push_back(transform * Vector(points.Component(i, 0), points.Component(i, 1), points.Component(i, 2)));
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
        if (corner[k] >= points.count)
        {
          error = "triangle index " + std::to_string(corner[k]) + " out of range (" + std::to_string(points.count) +
                  " vertices)";
          return false;
        }
      }
      if (mirrored)
        std::swap(corner[1], corner[2]);
      mesh_.polygons.emplace_back(base + static_cast<Int32>(corner[0]), base + static_cast<Int32>(corner[1]),
                                  base + static_cast<Int32>(corner[2]));
      const Vector a = uvOf(corner[0]), b = uvOf(corner[1]), c = uvOf(corner[2]);
      mesh_.uvs.push_back({a, b, c, c});
    }
    return true;
  }

  void AddToSelection(const std::string& name, Int32 begin, Int32 end)
  {
    auto it = std::find_if(mesh_.selections.begin(), mesh_.selections.end(),
                           [&](const NamedSelection& s) { return s.name == name; });
    if (it == mesh_.selections.end())
      it = mesh_.selections.insert(mesh_.selections.end(), NamedSelection{name, {}});
    for (Int32 polygon = begin; polygon < end; ++polygon)
      it->polygons.push_back(polygon);
  }

  const tinygltf::Model& model_;
  MeshData& mesh_;
  bool hasUVs_ = false;
};

std::string Trimmed(std::string text)
{
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.pop_back();
  return text;
}

} // namespace

bool ReadGltf(const std::string& path, MeshData& mesh, std::string& error)
{
  if (!CheckMeshFile(path, error))
    return false;
  char magic[4] = {};
  std::ifstream(path, std::ios::binary).read(magic, 4);
  const bool binary = std::memcmp(magic, "glTF", 4) == 0;

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(NoImageDecoding, nullptr);
  tinygltf::Model model;
  std::string loadError;
  std::string warning;
  const bool loaded = binary ? loader.LoadBinaryFromFile(&model, &loadError, &warning, path)
                             : loader.LoadASCIIFromFile(&model, &loadError, &warning, path);
  if (!loaded)
  {
    error = path + ": " + (loadError.empty() ? std::string("not a glTF file") : Trimmed(loadError));
    return false;
  }

  MeshData result;
  GltfMeshCollector collector(model, result);
  bool ok = true;
  if (model.scenes.empty())
    for (std::size_t m = 0; ok && m < model.meshes.size(); ++m)
      ok = collector.AddMesh(static_cast<int>(m), Matrix(), error);
  else
  {
    const std::size_t sceneIndex = model.defaultScene >= 0 ? static_cast<std::size_t>(model.defaultScene) : 0;
    if (sceneIndex >= model.scenes.size())
    {
      error = path + ": default scene does not exist";
      return false;
    }
    for (int node : model.scenes[sceneIndex].nodes)
      if (ok)
        ok = collector.AddNode(node, Matrix(), 0, error);
  }
  if (!ok)
  {
    error = path + ": " + error;
    return false;
  }
  if (result.polygons.empty())
  {
    error = path + ": contains no triangles";
    return false;
  }
  if (!collector.HasUVs())
    result.uvs.clear();
  WeldIdenticalPoints(result);
  mesh = std::move(result);
  return true;
}

} // namespace qhost
