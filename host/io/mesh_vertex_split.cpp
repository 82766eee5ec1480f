#include "host/io/mesh_vertex_split.h"

#include <bit>
#include <unordered_map>

namespace qhost {
namespace {

struct CornerKey
{
  std::uint32_t point;
  std::uint32_t bits[5]; // normal x y z, u, v as float bits
  bool operator==(const CornerKey&) const = default;
};

struct CornerKeyHash
{
  std::size_t operator()(const CornerKey& key) const
  {
    std::uint64_t h = key.point * 0x9E3779B97F4A7C15ull;
    for (std::uint32_t b : key.bits)
      h = (h ^ b) * 0x100000001B3ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

struct PositionKey
{
  std::uint64_t bits[3];
  bool operator==(const PositionKey&) const = default;
};

struct PositionKeyHash
{
  std::size_t operator()(const PositionKey& key) const
  {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (std::uint64_t b : key.bits)
      h = (h ^ b) * 0x100000001B3ull;
    return static_cast<std::size_t>(h ^ (h >> 31));
  }
};

std::uint32_t FloatBits(Float value)
{
  // +0 and -0 store differently but mean the same corner.
  const float f = static_cast<float>(value);
  return f == 0.0f ? 0u : std::bit_cast<std::uint32_t>(f);
}

std::uint64_t DoubleBits(Float value)
{
  return value == 0.0 ? 0u : std::bit_cast<std::uint64_t>(value);
}

} // namespace

CornerVertexMesh SplitCorners(const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  CornerVertexMesh result;
  result.corners.reserve(4 * mesh.polygons.size());
  std::unordered_map<CornerKey, std::uint32_t, CornerKeyHash> known;
  known.reserve(mesh.points.size() * 2);
  const bool hasUVs = mesh.HasUVs();

  for (std::size_t polygon = 0; polygon < mesh.polygons.size(); ++polygon)
  {
    const CPolygon& p = mesh.polygons[polygon];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    const UVWStruct uvw = hasUVs ? mesh.uvs[polygon] : UVWStruct();
    const Vector uvs[4] = {uvw.a, uvw.b, uvw.c, uvw.d};
    const int cornerCount = p.IsTriangle() ? 3 : 4;
    for (int corner = 0; corner < cornerCount; ++corner)
    {
      const Vector& normal = cornerNormals[4 * polygon + corner];
      const CornerKey key{static_cast<std::uint32_t>(points[corner]),
                          {FloatBits(normal.x), FloatBits(normal.y), FloatBits(normal.z), FloatBits(uvs[corner].x),
                           FloatBits(uvs[corner].y)}};
      const auto [it, inserted] = known.try_emplace(key, static_cast<std::uint32_t>(result.vertices.size()));
      if (inserted)
        result.vertices.push_back({mesh.points[points[corner]], normal, uvs[corner].x, uvs[corner].y});
      result.corners.push_back(it->second);
    }
    if (cornerCount == 3)
      result.corners.push_back(result.corners.back());
  }
  return result;
}

void WeldIdenticalPoints(MeshData& mesh)
{
  std::unordered_map<PositionKey, Int32, PositionKeyHash> known;
  known.reserve(mesh.points.size());
  std::vector<Int32> remap(mesh.points.size());
  std::vector<Vector> welded;
  welded.reserve(mesh.points.size());
  for (std::size_t i = 0; i < mesh.points.size(); ++i)
  {
    const Vector& p = mesh.points[i];
    const PositionKey key{{DoubleBits(p.x), DoubleBits(p.y), DoubleBits(p.z)}};
    const auto [it, inserted] = known.try_emplace(key, static_cast<Int32>(welded.size()));
    if (inserted)
      welded.push_back(p);
    remap[i] = it->second;
  }
  for (CPolygon& polygon : mesh.polygons)
    polygon = CPolygon(remap[polygon.a], remap[polygon.b], remap[polygon.c], remap[polygon.d]);
  mesh.points = std::move(welded);
}

} // namespace qhost
