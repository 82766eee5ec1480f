#include "host/io/mesh_vertex_split.h"

#include <bit>
#include <unordered_map>

namespace qhost {
namespace {

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

SharedCorners SplitCornersForFloatFormats(const MeshData& mesh, std::span<const Vector> cornerNormals)
{
  const auto sameAsFloat = [](const Vector& a, const Vector& b) {
    return FloatBits(a.x) == FloatBits(b.x) && FloatBits(a.y) == FloatBits(b.y) && FloatBits(a.z) == FloatBits(b.z);
  };
  return ShareCorners(mesh, GroupCornersByPoint(mesh.polygons), [&](std::uint32_t a, std::uint32_t b) {
    const Vector uvA = SlotUV(mesh, a), uvB = SlotUV(mesh, b);
    return sameAsFloat(cornerNormals[a], cornerNormals[b]) && FloatBits(uvA.x) == FloatBits(uvB.x) &&
           FloatBits(uvA.y) == FloatBits(uvB.y);
  });
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
