#include "host/bake/surface_bake.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/geometry/texel_triangles.h"
#include "host/geometry/vertex_tangents.h"

namespace qhost {
namespace {

// How far the normal map's rays look for the detailed surface, and how far
// occlusion rays look for something in the way, in bounding-box diagonals.
constexpr Float kNormalSearchDistance = 0.05;
constexpr Float kOcclusionDistance = 0.2;
// How far occlusion rays start off the face, so they do not meet it again.
constexpr Float kRayOffset = 1e-4;
constexpr int kOcclusionRays = 48;

TexelTriangles CoverMesh(const TriangleMesh& mesh, Int32 size)
{
  std::vector<Float> uvs;
  uvs.reserve(6 * mesh.TriangleCount());
  for (const std::uint32_t v : mesh.indices)
    uvs.insert(uvs.end(), {Float(mesh.uvs[2 * v]), Float(mesh.uvs[2 * v + 1])});
  return CoverTexels(uvs, size, size);
}

Float Diagonal(const TriangleMesh& mesh)
{
  const auto [low, high] = BoundingBox(mesh);
  return mesh.VertexCount() ? (high - low).GetLength() : 0.0;
}

Vector UnitOr(const Vector& v, const Vector& fallback)
{
  const Float length = v.GetLength();
  return length > 1e-12 ? v / length : fallback;
}

// Runs the sampler over every texel on all cores; throws when cancelled.
std::vector<Vector> BakeTexels(const SurfaceBakeOptions& options, SampleFn sample)
{
  std::vector<Vector> out(std::size_t(options.size) * std::size_t(options.size));
  const BakeOptions bake{options.size, options.size, options.threads};
  if (!BakeImage(bake, {}, sample, out, options.progress))
    throw std::runtime_error("the bake was cancelled");
  return out;
}

// A well mixed 32-bit hash (from the PCG family), for per-texel randomness
// that does not depend on the order texels are visited in.
std::uint32_t Hash(std::uint32_t x)
{
  x = x * 747796405u + 2891336453u;
  x = ((x >> ((x >> 28u) + 4u)) ^ x) * 277803737u;
  return (x >> 22u) ^ x;
}

Float UnitFloat(std::uint32_t bits)
{
  return Float(bits >> 8) / Float(1u << 24);
}

// The hash of a vertex's position, the same for every vertex at that point.
std::uint32_t PositionSeed(const TriangleMesh& mesh, std::size_t v)
{
  std::uint32_t seed = 0;
  for (int k = 0; k < 3; ++k)
    seed = Hash(seed ^ std::bit_cast<std::uint32_t>(mesh.positions[3 * v + k]));
  return seed;
}

// The unoccluded fraction of one vertex's hemisphere.
float OcclusionAt(const TriangleMesh& mesh, const RayScene& rays, std::size_t v, float reach, Float offset)
{
  const Vector n = UnitOr(mesh.Normal(std::uint32_t(v)), Vector(0.0, 0.0, 1.0));
  const Vector origin = mesh.Position(std::uint32_t(v)) + n * offset;
  const Vector u = AnyPerpendicular(n);
  const Vector w = Cross(n, u);
  // Stratified cosine-weighted directions, turned by a per-vertex angle.
  const std::uint32_t seed = PositionSeed(mesh, v);
  const Float turn = UnitFloat(seed);
  const Float jitter = UnitFloat(Hash(seed));
  Vector directions[kOcclusionRays];
  for (int k = 0; k < kOcclusionRays; ++k)
  {
    const Float radial = (k + jitter) / kOcclusionRays;
    const Float angle = 2.0 * std::numbers::pi * (k * (std::numbers::phi - 1.0) + turn);
    const Float r = std::sqrt(radial);
    directions[k] = u * (r * std::cos(angle)) + w * (r * std::sin(angle)) + n * std::sqrt(1.0 - radial);
  }
  return float(kOcclusionRays - rays.CountOccluded(origin, directions, 0.0f, reach)) / kOcclusionRays;
}

std::vector<float> VertexOcclusion(const TriangleMesh& mesh, const RayScene& rays)
{
  const Float diagonal = Diagonal(mesh);
  const float reach = float(kOcclusionDistance * diagonal);
  const Float offset = kRayOffset * diagonal;
  std::vector<float> occlusion(mesh.VertexCount());
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, occlusion.size(), 256),
                    [&](const tbb::blocked_range<std::size_t>& range) {
                      for (std::size_t v = range.begin(); v < range.end(); ++v)
                        occlusion[v] = OcclusionAt(mesh, rays, v, reach, offset);
                    });
  return occlusion;
}

} // namespace

Image BakeNormalMap(const TriangleMesh& detailed, const RayScene& detailedRays, const TriangleMesh& target,
                    const SurfaceBakeOptions& options)
{
  const TexelTriangles cover = CoverMesh(target, options.size);
  const float search = float(kNormalSearchDistance * Diagonal(detailed));
  const std::vector<Vector> normals = BakeTexels(options, [&](Float, Float, Int32 x, Int32 y) {
    const std::size_t i = std::size_t(y) * std::size_t(options.size) + std::size_t(x);
    const Int32 t = cover.triangle[i];
    if (t < 0)
      return Vector(0.0, 0.0, 1.0);
    const Float a = cover.weightA[i], b = cover.weightB[i];
    const Vector p = InterpolateAt(target, target.positions, 3, t, a, b);
    const Vector n = UnitOr(InterpolateAt(target, target.normals, 3, t, a, b), Vector(0.0, 0.0, 1.0));
    // The tangent frame as a viewer builds it from the file: interpolated,
    // made perpendicular to the normal, bitangent from the handedness.
    const Vector tangentSum = InterpolateAt(target, target.tangents, 4, t, a, b);
    const Vector tangent = UnitOr(tangentSum - n * Dot(n, tangentSum), AnyPerpendicular(n));
    const Vector bitangent = Cross(n, tangent) * Float(target.Handedness(target.indices[3 * std::size_t(t)]));

    const RayHit outwards = detailedRays.Intersect(p, n, 0.0f, search);
    // Inwards only a nearer hit than the outward one counts.
    const RayHit inwards = detailedRays.Intersect(p, -n, 0.0f, outwards ? outwards.distance : search);
    const RayHit& hit = !inwards || (outwards && outwards.distance <= inwards.distance) ? outwards : inwards;
    if (!hit)
      return Vector(0.0, 0.0, 1.0);
    const Vector detail = UnitOr(InterpolateAt(detailed, detailed.normals, 3, hit.triangle,
                                               1.0 - hit.weightB - hit.weightC, hit.weightB),
                                 n);
    return UnitOr(Vector(Dot(detail, tangent), Dot(detail, bitangent), Dot(detail, n)), Vector(0.0, 0.0, 1.0));
  });

  Image map;
  map.width = map.height = options.size;
  map.channels = 3;
  map.bitDepth = 8;
  map.samples.resize(3 * normals.size());
  for (std::size_t i = 0; i < normals.size(); ++i)
  {
    const Float xyz[3] = {normals[i].x, normals[i].y, normals[i].z};
    for (int k = 0; k < 3; ++k)
      map.samples[3 * i + k] = std::uint16_t(std::lround(std::clamp(0.5 + 0.5 * xyz[k], 0.0, 1.0) * 255.0));
  }
  return map;
}

std::vector<float> BakeOcclusion(const TriangleMesh& mesh, const RayScene& rays, const SurfaceBakeOptions& options)
{
  const std::vector<float> atVertices = VertexOcclusion(mesh, rays);
  const TexelTriangles cover = CoverMesh(mesh, options.size);
  std::vector<float> occlusion(cover.Count(), 1.0f);
  for (std::size_t i = 0; i < cover.Count(); ++i)
  {
    const Int32 t = cover.triangle[i];
    if (t < 0)
      continue;
    const std::uint32_t* corner = mesh.indices.data() + 3 * std::size_t(t);
    const Float a = cover.weightA[i], b = cover.weightB[i];
    occlusion[i] = float(a * atVertices[corner[0]] + b * atVertices[corner[1]] + (1.0 - a - b) * atVertices[corner[2]]);
  }
  return occlusion;
}

} // namespace qhost
