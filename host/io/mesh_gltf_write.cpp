#include "host/io/mesh_gltf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tiny_gltf.h>

#include "host/io/gltf_buffers.h"
#include "host/io/mesh_vertex_split.h"
#include "host/io/png_image.h"

namespace qhost {
namespace {

// Unit normals as glTF requires; a zero normal (a degenerate corner) gets +Z.
Vector UnitNormal(const Vector& n)
{
  const Vector unit = n.GetNormalized();
  return unit.GetSquaredLength() > 0.0 ? unit : Vector(0.0, 0.0, 1.0);
}

} // namespace

void WriteGltf(const std::string& path, const MeshData& mesh, std::span<const Vector> cornerNormals,
               const MeshWriteOptions& options, bool binary)
{
  ValidateMeshForWrite(path, mesh, cornerNormals);
  if (mesh.polygons.empty())
    throw OutputError(path, "a glTF mesh needs at least one polygon");
  const bool hasUVs = mesh.HasUVs();
  std::vector<std::uint8_t> png;
  if (options.baseColorTexture)
  {
    if (!hasUVs)
      throw OutputError(path, "a texture needs a mesh with UVs");
    png = EncodePng(*options.baseColorTexture);
    if (png.empty())
      throw OutputError(path, "the base colour texture is not a valid image");
  }

  const SharedCorners split = SplitCornersForFloatFormats(mesh, cornerNormals);
  const std::size_t vertexCount = split.firstSlot.size();
  std::vector<float> positions(3 * vertexCount);
  std::vector<float> normals(3 * vertexCount);
  std::vector<float> texcoords(hasUVs ? 2 * vertexCount : 0);
  std::vector<double> minimum(3, std::numeric_limits<double>::max());
  std::vector<double> maximum(3, std::numeric_limits<double>::lowest());
  for (std::size_t i = 0; i < vertexCount; ++i)
  {
    const std::uint32_t slot = split.firstSlot[i];
    const Vector position = options.frame.PointToFile(mesh.points[SlotPoint(mesh, slot)]);
    const Vector n = UnitNormal(options.frame.DirectionToFile(cornerNormals[slot]));
    const float p[3] = {static_cast<float>(position.x), static_cast<float>(position.y),
                        static_cast<float>(position.z)};
    for (int k = 0; k < 3; ++k)
    {
      positions[3 * i + k] = p[k];
      minimum[k] = std::min<double>(minimum[k], p[k]);
      maximum[k] = std::max<double>(maximum[k], p[k]);
    }
    normals[3 * i] = static_cast<float>(n.x);
    normals[3 * i + 1] = static_cast<float>(n.y);
    normals[3 * i + 2] = static_cast<float>(n.z);
    if (hasUVs)
    {
      const Vector uv = SlotUV(mesh, slot);
      texcoords[2 * i] = static_cast<float>(uv.x);
      texcoords[2 * i + 1] = static_cast<float>(1.0 - uv.y);
    }
  }
  std::vector<std::uint32_t> triangles;
  triangles.reserve(6 * mesh.polygons.size());
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const std::uint32_t* c = split.vertexOfSlot.data() + 4 * polygon;
    triangles.insert(triangles.end(), {c[0], c[1], c[2]});
    if (!mesh.polygons[polygon].IsTriangle())
      triangles.insert(triangles.end(), {c[0], c[2], c[3]});
  }

  tinygltf::Model model = NewSingleBufferModel();
  std::vector<unsigned char>& buffer = model.buffers[0].data;

  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  primitive.material = 0;
  const int positionAccessor = AddAccessor(
    model, AddBufferView(model, buffer, positions.data(), positions.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
    TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertexCount);
  model.accessors[positionAccessor].minValues = minimum;
  model.accessors[positionAccessor].maxValues = maximum;
  primitive.attributes["POSITION"] = positionAccessor;
  primitive.attributes["NORMAL"] = AddAccessor(
    model, AddBufferView(model, buffer, normals.data(), normals.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
    TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertexCount);
  if (hasUVs)
    primitive.attributes["TEXCOORD_0"] = AddAccessor(
      model, AddBufferView(model, buffer, texcoords.data(), texcoords.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
      TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, vertexCount);
  primitive.indices = AddAccessor(
    model, AddBufferView(model, buffer, triangles.data(), triangles.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
    TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, triangles.size());

  tinygltf::Material material;
  material.name = options.objectName;
  material.pbrMetallicRoughness.baseColorFactor = {1.0, 1.0, 1.0, 1.0};
  material.pbrMetallicRoughness.metallicFactor = 0.0;
  material.pbrMetallicRoughness.roughnessFactor = 1.0;
  model.materials.push_back(material);
  if (!png.empty())
    model.materials[0].pbrMetallicRoughness.baseColorTexture.index = AddPngTexture(model, buffer, png);

  tinygltf::Mesh gltfMesh;
  gltfMesh.name = options.objectName;
  gltfMesh.primitives.push_back(primitive);
  model.meshes.push_back(gltfMesh);
  tinygltf::Node node;
  node.name = options.objectName;
  node.mesh = 0;
  model.nodes.push_back(node);
  WriteSceneOfFirstNode(path, model, binary);
}

} // namespace qhost
