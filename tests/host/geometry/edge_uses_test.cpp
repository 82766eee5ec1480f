#include "host/geometry/edge_uses.h"

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

#include "host/geometry/corners_by_point.h"
#include "host/geometry/polygon_geometry.h"
#include "serial_normals_support.h"
#include "host/thread_count_support.h"

namespace qhost {
namespace {

void ExpectSameUses(const std::vector<EdgeUse>& expected, const std::vector<EdgeUse>& actual)
{
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
  {
    const EdgeUse& e = expected[i];
    const EdgeUse& a = actual[i];
    ASSERT_TRUE(e.low == a.low && e.high == a.high && e.polygon == a.polygon && e.lowCorner == a.lowCorner &&
                e.highCorner == a.highCorner)
      << "use " << i << ": polygon " << a.polygon << " corners " << a.lowCorner << ", " << a.highCorner
      << " where polygon " << e.polygon << " corners " << e.lowCorner << ", " << e.highCorner << " was expected";
  }
}

TEST(EdgeUsesOnAnyThreadCount, MatchTheSerialOrderIncludingTies)
{
  // The awkward mesh has a point starting over 16 edges where one polygon has
  // two sides on one edge: the serial bucket sort may reorder those, and the
  // parallel one must reorder them the same way.
  for (const MeshData& mesh : {test::RoughSubdividedSphere(), test::AwkwardPolygons()})
  {
    const std::vector<EdgeUse> expected = test::SerialEdgeUses(mesh.polygons);
    for (const int threads : test::kThreadCounts)
    {
      SCOPED_TRACE(testing::Message() << threads << " threads, " << mesh.polygons.size() << " polygons");
      ExpectSameUses(expected, test::WithThreads(threads, [&] { return CollectEdgeUses(mesh.polygons); }));
    }
  }
  EXPECT_TRUE(CollectEdgeUses({}).empty());
}

TEST(EdgeUses, SortingOneLowPointRestoresItsOrderFromAnyOrder)
{
  // The hub of the awkward mesh starts over 16 edges, among them sides of one
  // polygon on one edge.
  const std::vector<EdgeUse> all = test::SerialEdgeUses(test::AwkwardPolygons().polygons);
  std::vector<EdgeUse> hub;
  std::copy_if(all.begin(), all.end(), std::back_inserter(hub), [](const EdgeUse& use) { return use.low == 0; });
  ASSERT_GT(hub.size(), 16u);
  std::vector<EdgeUse> scrambled(hub.rbegin(), hub.rend());
  std::rotate(scrambled.begin(), scrambled.begin() + 7, scrambled.end());
  SortEdgeUsesOfLowPoint(scrambled);
  ExpectSameUses(hub, scrambled);
}

TEST(CornersByPoint, EveryCornerOnceAscendingUnderItsPoint)
{
  const MeshData mesh = test::AwkwardPolygons();
  const CornersByPoint corners = test::WithThreads(8, [&] { return GroupCornersByPoint(mesh.polygons); });
  std::size_t cornerCount = 0;
  for (const CPolygon& polygon : mesh.polygons)
    cornerCount += static_cast<std::size_t>(CornerCount(polygon));
  ASSERT_EQ(corners.PointCount(), mesh.points.size());
  EXPECT_EQ(corners.items.size(), cornerCount);
  for (std::size_t point = 0; point < corners.PointCount(); ++point)
  {
    const std::span<const Int32> slots = corners.Of(point);
    for (std::size_t i = 0; i < slots.size(); ++i)
    {
      EXPECT_EQ(CornerPoint(mesh.polygons[slots[i] / 4], slots[i] % 4), static_cast<Int32>(point));
      if (i > 0)
      {
        EXPECT_LT(slots[i - 1], slots[i]);
      }
    }
  }
  EXPECT_EQ(GroupCornersByPoint({}).PointCount(), 0u);
}

} // namespace
} // namespace qhost
