#include <bit>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "host/geometry/mesh_ops.h"
#include "serial_normals_support.h"
#include "host/thread_count_support.h"

namespace qhost {
namespace {

using Bits = std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>;

Bits BitsOf(const Vector& v)
{
  return {std::bit_cast<std::uint64_t>(v.x), std::bit_cast<std::uint64_t>(v.y), std::bit_cast<std::uint64_t>(v.z)};
}

void ExpectSameBits(const std::vector<Vector>& expected, const std::vector<Vector>& actual)
{
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t slot = 0; slot < expected.size(); ++slot)
    ASSERT_EQ(BitsOf(expected[slot]), BitsOf(actual[slot])) << "slot " << slot;
}

struct Shading
{
  bool phongLimit;
  Float angle;
};

void ExpectSerialBitsOnAnyThreadCount(const MeshData& mesh, std::initializer_list<Shading> shadings)
{
  for (const Shading& shading : shadings)
  {
    const std::vector<Vector> expected = test::SerialCornerNormals(mesh, shading.phongLimit, shading.angle);
    for (const int threads : test::kThreadCounts)
    {
      SCOPED_TRACE(testing::Message() << "limit " << shading.phongLimit << ", angle " << shading.angle << ", "
                                      << threads << " threads");
      ExpectSameBits(expected, test::WithThreads(threads, [&] {
        return ComputeCornerNormals(mesh, shading.phongLimit, shading.angle);
      }));
    }
  }
}

TEST(CornerNormalsOnAnyThreadCount, RoughSphereMatchesTheSerialFans)
{
  const MeshData rough = test::RoughSubdividedSphere();
  // At 40 degrees some points keep one normal for all their corners and others
  // several, so both joined and separate fans are compared.
  const std::vector<Vector> normals = ComputeCornerNormals(rough, true, 0.7);
  std::map<Int32, std::set<Bits>> normalsAtPoint;
  for (std::size_t index = 0; index < rough.polygons.size(); ++index)
  {
    const CPolygon& p = rough.polygons[index];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    for (std::size_t corner = 0; corner < 4; ++corner)
      normalsAtPoint[points[corner]].insert(BitsOf(normals[index * 4 + corner]));
  }
  std::size_t smoothPoints = 0;
  for (const auto& [point, distinct] : normalsAtPoint)
    smoothPoints += distinct.size() == 1 ? 1 : 0;
  EXPECT_GT(smoothPoints, 0u);
  EXPECT_LT(smoothPoints, normalsAtPoint.size());

  ExpectSerialBitsOnAnyThreadCount(rough, {{true, 0.7}, {true, 0.0}, {false, 0.0}, {true, kPi}});
}

TEST(CornerNormalsOnAnyThreadCount, AwkwardPolygonsMatchTheSerialFans)
{
  // Repeated points, zero areas, sides running back along an edge, edges of
  // many faces and directions, repeated faces: the angle 0 makes equal
  // directions fail the test against themselves now and then, so which use of
  // an edge comes first matters there too.
  ExpectSerialBitsOnAnyThreadCount(test::AwkwardPolygons(), {{true, 0.5}, {true, 0.0}, {false, 0.0}, {true, 1.8}});
}

} // namespace
} // namespace qhost
