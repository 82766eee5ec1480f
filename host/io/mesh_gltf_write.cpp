#include "host/io/mesh_gltf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
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
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, vertexCount), [&](const tbb::blocked_range<std::size_t>& r) {
    for (std::size_t i = r.begin(); i < r.end(); ++i)
    {
      const std::uint32_t slot = split.firstSlot[i];
      const Vector position = options.frame.PointToFile(mesh.points[SlotPoint(mesh, slot)]);
      const Vector n = UnitNormal(options.frame.DirectionToFile(cornerNormals[slot]));
      positions[3 * i] = static_cast<float>(position.x);
      positions[3 * i + 1] = static_cast<float>(position.y);
      positions[3 * i + 2] = static_cast<float>(position.z);
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
  });
  for (std::size_t i = 0; i < vertexCount; ++i)
    for (int k = 0; k < 3; ++k)
    {
      minimum[k] = std::min<double>(minimum[k], positions[3 * i + k]);
      maximum[k] = std::max<double>(maximum[k], positions[3 * i + k]);
    }

  tinygltf::Model model = NewSingleBufferModel();
  std::vector<unsigned char>& buffer = model.buffers[0].data;
  std::size_t triangleCount = 0;
  for (const CPolygon& polygon : mesh.polygons)
    triangleCount += polygon.IsTriangle() ? 1 : 2;
  // Every view's size is a multiple of four, so the views follow each other
  // without padding; reserving the whole buffer avoids copies as it grows.
  buffer.reserve(4 * (positions.size() + normals.size() + texcoords.size() + 3 * triangleCount));

  // Each array is freed once it is in the buffer, so the mesh is held in at
  // most one extra copy at a time.
  const auto addFloats = [&](std::vector<float>& values, int type) {
    const int view = AddBufferView(model, buffer, values.data(), values.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER);
    std::vector<float>().swap(values);
    return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, type, vertexCount);
  };
  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  primitive.material = 0;
  const int positionAccessor = addFloats(positions, TINYGLTF_TYPE_VEC3);
  model.accessors[positionAccessor].minValues = minimum;
  model.accessors[positionAccessor].maxValues = maximum;
  primitive.attributes["POSITION"] = positionAccessor;
  primitive.attributes["NORMAL"] = addFloats(normals, TINYGLTF_TYPE_VEC3);
  if (hasUVs)
    primitive.attributes["TEXCOORD_0"] = addFloats(texcoords, TINYGLTF_TYPE_VEC2);

  std::vector<std::uint32_t> triangles;
  triangles.reserve(3 * triangleCount);
  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const std::uint32_t* c = split.vertexOfSlot.data() + 4 * polygon;
    triangles.insert(triangles.end(), {c[0], c[1], c[2]});
    if (!mesh.polygons[polygon].IsTriangle())
      triangles.insert(triangles.end(), {c[0], c[2], c[3]});
  }
  primitive.indices = AddAccessor(
    model, AddBufferView(model, buffer, triangles.data(), triangles.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
    TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, triangles.size());
  std::vector<std::uint32_t>().swap(triangles);

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
