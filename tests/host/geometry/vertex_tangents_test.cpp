#include "host/geometry/vertex_tangents.h"

#include <gtest/gtest.h>

namespace qhost {
namespace {

// Two triangles over a square in the XZ plane facing +Y:
//
//   3 ---- 2
//   |    / |
//   |  /   |
//   0 ---- 1
TriangleMesh Square(float u1, float v3)
{
  TriangleMesh mesh;
  mesh.positions = {0, 0, 0, 10, 0, 0, 10, 0, -10, 0, 0, -10};
  mesh.normals = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
  // Corner 1 lies at u = u1, corner 3 at v = v3; flipping a sign mirrors
  // the layout.
  mesh.uvs = {0, 0, u1, 0, u1, v3, 0, v3};
  mesh.indices = {0, 1, 2, 0, 2, 3};
  return mesh;
}

TEST(VertexTangents, FollowGrowingUAndTheBitangentGrowingV)
{
  struct Case
  {
    float u1, v3;
    Vector tangent;
    Vector bitangent;
  };
  // The square runs +X from corner 0 to 1 and -Z from corner 0 to 3.
  const Case cases[] = {
    {1.0f, 1.0f, Vector(1, 0, 0), Vector(0, 0, -1)},
    {-1.0f, 1.0f, Vector(-1, 0, 0), Vector(0, 0, -1)}, // mirrored in u
    {1.0f, -1.0f, Vector(1, 0, 0), Vector(0, 0, 1)},   // mirrored in v
  };
  for (const Case& c : cases)
  {
    TriangleMesh mesh = Square(c.u1, c.v3);
    ComputeVertexTangents(mesh);
    ASSERT_EQ(mesh.tangents.size(), 16u);
    for (std::uint32_t v = 0; v < 4; ++v)
    {
      const Vector t = mesh.Tangent(v);
      EXPECT_NEAR((t - c.tangent).GetLength(), 0.0, 1e-6) << c.u1 << " " << c.v3;
      const Vector bitangent = Cross(mesh.Normal(v), t) * Float(mesh.Handedness(v));
      EXPECT_NEAR((bitangent - c.bitangent).GetLength(), 0.0, 1e-6) << c.u1 << " " << c.v3;
    }
  }
}

TEST(VertexTangents, AreUnitAndPerpendicularToTheNormalEvenWithoutAUVDirection)
{
  TriangleMesh mesh = Square(1.0f, 1.0f);
  // A tilted normal at corner 0, and every UV at one spot, so no triangle
  // has a UV direction at all.
  mesh.normals[0] = 0.6f;
  mesh.normals[1] = 0.8f;
  for (float& uv : mesh.uvs)
    uv = 0.5f;
  ComputeVertexTangents(mesh);
  for (std::uint32_t v = 0; v < 4; ++v)
  {
    EXPECT_NEAR(mesh.Tangent(v).GetLength(), 1.0, 1e-6);
    EXPECT_NEAR(Dot(mesh.Tangent(v), mesh.Normal(v)), 0.0, 1e-6);
    EXPECT_EQ(std::abs(mesh.Handedness(v)), 1.0f);
  }
}

} // namespace
} // namespace qhost
