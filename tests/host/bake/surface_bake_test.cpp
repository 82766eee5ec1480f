// Maps baked by ray casting, checked against cases with known answers.
#include "host/bake/surface_bake.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "host/geometry/primitives.h"
#include "host/geometry/texel_triangles.h"
#include "host/geometry/vertex_tangents.h"
#include "host/lod/polygon_triangles.h"

namespace qhost {
namespace {

// A sphere of radius 100 around the origin whose points lie at
// 100 + amplitude * Bump(direction): a smooth pattern of hills and dents.
constexpr Float kRadius = 100.0;

Float Bump(const Vector& d)
{
  return std::sin(3.0 * d.x) * std::cos(2.0 * d.y);
}

// The bump's gradient with respect to the direction's coordinates.
Vector BumpGradient(const Vector& d)
{
  return {3.0 * std::cos(3.0 * d.x) * std::cos(2.0 * d.y), -2.0 * std::sin(3.0 * d.x) * std::sin(2.0 * d.y), 0.0};
}

// The exact unit normal of the displaced sphere in direction d: the gradient
// of |x| - kRadius - amplitude * Bump(x / |x|) at its surface point.
Vector DisplacedNormal(const Vector& d, Float amplitude)
{
  const Float distance = kRadius + amplitude * Bump(d);
  const Vector g = BumpGradient(d);
  const Vector tangential = g - d * Dot(d, g); // (I - d d^T) g
  return (d - tangential * (amplitude / distance)).GetNormalized();
}

// A UV sphere displaced by the bump, with its exact normals and tangents.
TriangleMesh DisplacedSphere(Int32 segments, Float amplitude)
{
  MeshData sphere = MakeSphere(kRadius, segments);
  std::vector<Vector> normals;
  for (Vector& p : sphere.points)
  {
    const Vector d = p.GetNormalized();
    p = d * (kRadius + amplitude * Bump(d));
  }
  for (const CPolygon& polygon : sphere.polygons)
    for (const Int32 point : {polygon.a, polygon.b, polygon.c, polygon.d})
      normals.push_back(DisplacedNormal(sphere.points[point].GetNormalized(), amplitude));
  TriangleMesh mesh = TrianglesOfPolygons(sphere, normals);
  ComputeVertexTangents(mesh);
  return mesh;
}

// A normal map texel decoded as glTF viewers decode it: the tangent frame
// interpolated from the file's vertex tangents, bitangent = cross(N, T) * w.
Vector DecodeTexel(const Image& map, const TriangleMesh& mesh, const TexelTriangles& cover, std::size_t i)
{
  const Int32 t = cover.triangle[i];
  const Float a = cover.weightA[i], b = cover.weightB[i];
  const Vector n = InterpolateAt(mesh, mesh.normals, 3, t, a, b).GetNormalized();
  Vector tangent = InterpolateAt(mesh, mesh.tangents, 4, t, a, b);
  tangent = (tangent - n * Dot(n, tangent)).GetNormalized();
  const Vector bitangent = Cross(n, tangent) * Float(mesh.Handedness(mesh.indices[3 * std::size_t(t)]));
  const auto channel = [&](int k) { return map.samples[3 * i + k] / 255.0 * 2.0 - 1.0; };
  return (tangent * channel(0) + bitangent * channel(1) + n * channel(2)).GetNormalized();
}

TexelTriangles Cover(const TriangleMesh& mesh, Int32 size)
{
  std::vector<Float> uvs;
  for (const std::uint32_t v : mesh.indices)
    uvs.insert(uvs.end(), {mesh.uvs[2 * v], mesh.uvs[2 * v + 1]});
  return CoverTexels(uvs, size, size);
}

Float DegreesBetween(const Vector& a, const Vector& b)
{
  return std::acos(std::clamp(Dot(a, b), -1.0, 1.0)) * 180.0 / std::numbers::pi;
}

TEST(NormalMapBake, AMeshBakedOntoItselfIsFlatBlue)
{
  const TriangleMesh mesh = DisplacedSphere(48, 12.0);
  const RayScene rays(mesh);
  SurfaceBakeOptions options;
  options.size = 128;
  const Image map = BakeNormalMap(mesh, rays, mesh, options);
  ASSERT_EQ(map.samples.size(), 3u * 128 * 128);
  for (std::size_t i = 0; i < map.samples.size(); i += 3)
  {
    ASSERT_NEAR(map.samples[i], 128, 2) << "texel " << i / 3;
    ASSERT_NEAR(map.samples[i + 1], 128, 2) << "texel " << i / 3;
    ASSERT_GE(map.samples[i + 2], 253) << "texel " << i / 3;
  }
}

TEST(NormalMapBake, ADisplacedSphereBakedOntoASphereDecodesToItsExactNormals)
{
  const Float amplitude = 6.0;
  const TriangleMesh detailed = DisplacedSphere(240, amplitude);
  const TriangleMesh plain = DisplacedSphere(48, 0.0);
  const RayScene rays(detailed);
  SurfaceBakeOptions options;
  options.size = 256;
  const Image map = BakeNormalMap(detailed, rays, plain, options);
  const TexelTriangles cover = Cover(plain, options.size);

  std::vector<Float> errors;
  Float largestTilt = 0.0;
  for (std::size_t i = 0; i < cover.Count(); ++i)
  {
    const Vector p = InterpolateAt(plain, plain.positions, 3, cover.triangle[i], cover.weightA[i], cover.weightB[i]);
    const Vector d = p.GetNormalized();
    // The poles, where a UV sphere's tangents turn around one point, are left out.
    if (!cover.covered[i] || std::abs(d.y) > 0.95)
      continue;
    const Vector exact = DisplacedNormal(d, amplitude);
    errors.push_back(DegreesBetween(DecodeTexel(map, plain, cover, i), exact));
    largestTilt = std::max(largestTilt, DegreesBetween(exact, d));
  }
  ASSERT_GT(errors.size(), 20000u);
  ASSERT_GT(largestTilt, 8.0) << "the bump tilts the normals far enough to tell a right bake from a flat one";
  std::sort(errors.begin(), errors.end());
  Float mean = 0.0;
  for (const Float e : errors)
    mean += e / Float(errors.size());
  EXPECT_LT(mean, 1.0);
  EXPECT_LT(errors[errors.size() * 99 / 100], 2.5);
}

TEST(NormalMapBake, TheMapDoesNotDependOnTheThreadCount)
{
  const TriangleMesh detailed = DisplacedSphere(64, 8.0);
  const TriangleMesh plain = DisplacedSphere(16, 0.0);
  const RayScene rays(detailed);
  SurfaceBakeOptions options;
  options.size = 64;
  options.threads = 1;
  const Image one = BakeNormalMap(detailed, rays, plain, options);
  options.threads = 5;
  EXPECT_EQ(BakeNormalMap(detailed, rays, plain, options).samples, one.samples);
}

TEST(OcclusionBake, AConvexShapeIsUnoccludedEverywhere)
{
  const TriangleMesh sphere = DisplacedSphere(32, 0.0);
  // The box's faces flat shaded: each corner's normal is its face's.
  MeshData box = MakeCube(Vector(200.0, 100.0, 50.0), 3, 2, 1);
  std::vector<Vector> faceNormals;
  for (const CPolygon& polygon : box.polygons)
  {
    const Vector n = Cross(box.points[polygon.b] - box.points[polygon.a], box.points[polygon.c] - box.points[polygon.a]);
    faceNormals.insert(faceNormals.end(), 4, n.GetNormalized());
  }
  for (const TriangleMesh& convex : {sphere, TrianglesOfPolygons(box, faceNormals)})
  {
    const RayScene rays(convex);
    SurfaceBakeOptions options;
    options.size = 64;
    const std::vector<float> occlusion = BakeOcclusion(convex, rays, options);
    ASSERT_EQ(occlusion.size(), 64u * 64u);
    for (const float value : occlusion)
      ASSERT_EQ(value, 1.0f);
  }
}

TEST(OcclusionBake, DentsAreDarkerThanHills)
{
  const Float amplitude = 30.0;
  const TriangleMesh bumpy = DisplacedSphere(96, amplitude);
  const RayScene rays(bumpy);
  SurfaceBakeOptions options;
  options.size = 128;
  const std::vector<float> occlusion = BakeOcclusion(bumpy, rays, options);
  const TexelTriangles cover = Cover(bumpy, options.size);
  Float inDents = 0.0, onHills = 0.0;
  int dents = 0, hills = 0;
  for (std::size_t i = 0; i < cover.Count(); ++i)
  {
    ASSERT_TRUE(occlusion[i] >= 0.0f && occlusion[i] <= 1.0f);
    const Vector d =
      InterpolateAt(bumpy, bumpy.positions, 3, cover.triangle[i], cover.weightA[i], cover.weightB[i]).GetNormalized();
    if (Bump(d) < -0.8)
      inDents += occlusion[i], ++dents;
    else if (Bump(d) > 0.8)
      onHills += occlusion[i], ++hills;
  }
  ASSERT_GT(dents, 100);
  ASSERT_GT(hills, 100);
  EXPECT_LT(inDents / dents + 0.015, onHills / hills);
  EXPECT_GT(onHills / hills, 0.99);
}

} // namespace
} // namespace qhost
