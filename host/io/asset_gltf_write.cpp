#include "host/io/asset_gltf.h"

#include <cmath>
#include <limits>

#include "host/core/output_error.h"
#include "host/io/gltf_buffers.h"
#include "host/io/mesh_frame.h"

namespace qhost {
namespace {

// The textures shared by every level's material; -1 where there is none.
struct SharedTextures
{
  int baseColor = -1;
  int occlusionRoughnessMetalness = -1;
};

// Throws OutputError naming path and the level when the level cannot be written.
void CheckLevel(const std::string& path, const AssetLevel& level, std::size_t index)
{
  const TriangleMesh* mesh = level.mesh;
  const auto fail = [&](const char* why) { throw OutputError(path, "level " + std::to_string(index) + ": " + why); };
  if (!mesh || mesh->indices.empty())
    fail("a glTF mesh needs at least one triangle");
  const std::size_t vertexCount = mesh->VertexCount();
  if (mesh->positions.size() != 3 * vertexCount || mesh->normals.size() != 3 * vertexCount ||
      (mesh->HasUVs() && mesh->uvs.size() != 2 * vertexCount) ||
      (!mesh->tangents.empty() && mesh->tangents.size() != 4 * vertexCount) || mesh->indices.size() % 3 != 0)
    fail("attribute arrays do not match the vertex count");
  for (const std::uint32_t index : mesh->indices)
    if (index >= vertexCount)
      fail("a triangle refers to a vertex that does not exist");
  for (const float value : mesh->positions)
    if (!std::isfinite(value))
      fail("a position is not finite");
  if (!level.normalMap.empty() && (mesh->tangents.empty() || !mesh->HasUVs()))
    fail("a normal map needs UVs and tangents");
}

// Adds one float attribute stream, converted by convert(vertex, out).
template <typename Convert>
int AddFloatAttribute(tinygltf::Model& model, std::vector<unsigned char>& buffer, std::size_t vertexCount,
                      int components, int type, const Convert& convert, bool withBounds = false)
{
  std::vector<float> values(vertexCount * components);
  for (std::size_t v = 0; v < vertexCount; ++v)
    convert(std::uint32_t(v), values.data() + v * components);
  const int accessor =
    AddAccessor(model, AddBufferView(model, buffer, values.data(), values.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                TINYGLTF_COMPONENT_TYPE_FLOAT, type, vertexCount);
  if (withBounds)
  {
    std::vector<double> low(components, std::numeric_limits<double>::max());
    std::vector<double> high(components, std::numeric_limits<double>::lowest());
    for (std::size_t i = 0; i < values.size(); ++i)
    {
      low[i % components] = std::min<double>(low[i % components], values[i]);
      high[i % components] = std::max<double>(high[i % components], values[i]);
    }
    model.accessors[accessor].minValues = low;
    model.accessors[accessor].maxValues = high;
  }
  return accessor;
}

void StoreVector(const Vector& v, float* out)
{
  out[0] = float(v.x);
  out[1] = float(v.y);
  out[2] = float(v.z);
}

// The level's mesh and material; returns the mesh's index.
int AddLevel(tinygltf::Model& model, std::vector<unsigned char>& buffer, const AssetLevel& level,
             const SharedTextures& shared, const std::string& name)
{
  const TriangleMesh& mesh = *level.mesh;
  const std::size_t vertexCount = mesh.VertexCount();
  const MeshFileFrame& frame = kGltfFrame;
  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  primitive.attributes["POSITION"] = AddFloatAttribute(
    model, buffer, vertexCount, 3, TINYGLTF_TYPE_VEC3,
    [&](std::uint32_t v, float* out) { StoreVector(frame.PointToFile(mesh.Position(v)), out); }, true);
  primitive.attributes["NORMAL"] =
    AddFloatAttribute(model, buffer, vertexCount, 3, TINYGLTF_TYPE_VEC3, [&](std::uint32_t v, float* out) {
      StoreVector(frame.DirectionToFile(mesh.Normal(v)).GetNormalized(), out);
    });
  if (mesh.HasUVs())
    primitive.attributes["TEXCOORD_0"] =
      AddFloatAttribute(model, buffer, vertexCount, 2, TINYGLTF_TYPE_VEC2, [&](std::uint32_t v, float* out) {
        out[0] = mesh.uvs[2 * v];
        out[1] = 1.0f - mesh.uvs[2 * v + 1];
      });
  if (!mesh.tangents.empty())
    primitive.attributes["TANGENT"] =
      AddFloatAttribute(model, buffer, vertexCount, 4, TINYGLTF_TYPE_VEC4, [&](std::uint32_t v, float* out) {
        StoreVector(frame.DirectionToFile(mesh.Tangent(v)).GetNormalized(), out);
        out[3] = mesh.Handedness(v);
      });
  primitive.indices = AddAccessor(model,
                                  AddBufferView(model, buffer, mesh.indices.data(), mesh.indices.size() * 4,
                                                TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                                  TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, mesh.indices.size());

  tinygltf::Material material;
  material.name = name;
  material.pbrMetallicRoughness.baseColorFactor = {1.0, 1.0, 1.0, 1.0};
  material.pbrMetallicRoughness.metallicFactor = shared.occlusionRoughnessMetalness >= 0 ? 1.0 : 0.0;
  material.pbrMetallicRoughness.roughnessFactor = 1.0;
  material.pbrMetallicRoughness.baseColorTexture.index = shared.baseColor;
  material.pbrMetallicRoughness.metallicRoughnessTexture.index = shared.occlusionRoughnessMetalness;
  material.occlusionTexture.index = shared.occlusionRoughnessMetalness;
  if (!level.normalMap.empty())
    material.normalTexture.index = AddPngTexture(model, buffer, level.normalMap);
  model.materials.push_back(material);
  primitive.material = static_cast<int>(model.materials.size()) - 1;

  tinygltf::Mesh gltfMesh;
  gltfMesh.name = name;
  gltfMesh.primitives.push_back(primitive);
  model.meshes.push_back(gltfMesh);
  return static_cast<int>(model.meshes.size()) - 1;
}

} // namespace

void WriteAssetGlb(const std::string& path, std::span<const AssetLevel> levels, const AssetMaps& maps,
                   const std::string& name)
{
  if (levels.empty())
    throw OutputError(path, "an asset needs at least one level");
  for (std::size_t i = 0; i < levels.size(); ++i)
    CheckLevel(path, levels[i], i);
  for (std::size_t i = 0; i < levels.size(); ++i)
    if ((!maps.baseColor.empty() || !maps.occlusionRoughnessMetalness.empty()) && !levels[i].mesh->HasUVs())
      throw OutputError(path, "level " + std::to_string(i) + ": maps need UVs");

  tinygltf::Model model = NewSingleBufferModel();
  std::vector<unsigned char>& buffer = model.buffers[0].data;
  SharedTextures shared;
  if (!maps.baseColor.empty())
    shared.baseColor = AddPngTexture(model, buffer, maps.baseColor);
  if (!maps.occlusionRoughnessMetalness.empty())
    shared.occlusionRoughnessMetalness = AddPngTexture(model, buffer, maps.occlusionRoughnessMetalness);

  // Node k shows level k; only node 0 is in the scene, the others are
  // reached through its MSFT_lod list.
  tinygltf::Value::Array lodNodes;
  tinygltf::Value::Array coverages;
  for (std::size_t i = 0; i < levels.size(); ++i)
  {
    const std::string levelName = i == 0 ? name : name + "_LOD" + std::to_string(i);
    tinygltf::Node node;
    node.name = levelName;
    node.mesh = AddLevel(model, buffer, levels[i], shared, levelName);
    model.nodes.push_back(node);
    if (i > 0)
      lodNodes.emplace_back(int(i));
    coverages.emplace_back(levels[i].screenCoverage);
  }
  if (levels.size() > 1)
  {
    tinygltf::Value::Object lod;
    lod["ids"] = tinygltf::Value(lodNodes);
    model.nodes[0].extensions["MSFT_lod"] = tinygltf::Value(lod);
    tinygltf::Value::Object extras;
    extras["MSFT_screencoverage"] = tinygltf::Value(coverages);
    model.nodes[0].extras = tinygltf::Value(extras);
    model.extensionsUsed.push_back("MSFT_lod");
  }
  WriteSceneOfFirstNode(path, model, true);
}

} // namespace qhost
