// Breaking off a build: the parallel loop the host offers modules skips the
// ranges not yet started and a modeling command is refused once the build's
// check says stop; with a check that says go on, or none, nothing changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>
#include <vector>

#include "host/core/build_break.h"
#include "host/core/console.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/object_node.h"
#include "host/geometry/primitives.h"
#include "host/runtime/host.h"
#include "hostapi/api.h"
#include "hostapi/parallel.h"

namespace qhost {
namespace {

constexpr Int32 kCount = 1'000'000;

class BuildBreak : public ::testing::Test
{
protected:
  void SetUp() override { Host::Instance(); }
};

// How often the loop's body saw each index.
std::vector<int> Visits(const std::function<void()>& onFirstRange = {})
{
  std::vector<std::atomic<int>> visits(kCount);
  std::atomic<bool> first{true};
  ParallelFor(kCount, [&](Int32 begin, Int32 end) {
    if (first.exchange(false) && onFirstRange)
      onFirstRange();
    for (Int32 i = begin; i < end; ++i)
      ++visits[std::size_t(i)];
  });
  return {visits.begin(), visits.end()};
}

TEST_F(BuildBreak, ScopesInstallTheirCheckAndRestoreTheOneBefore)
{
  EXPECT_EQ(CurrentBreakCheck(), nullptr);
  EXPECT_FALSE(BreakRequested());
  const BreakCheck goOn = [] { return false; };
  const BreakCheck stop = [] { return true; };
  {
    const BreakCheckScope outer(goOn);
    EXPECT_FALSE(BreakRequested());
    {
      const BreakCheckScope inner(stop);
      EXPECT_TRUE(BreakRequested());
    }
    EXPECT_EQ(CurrentBreakCheck(), &goOn);
  }
  EXPECT_EQ(CurrentBreakCheck(), nullptr);
  const BreakCheck empty;
  const BreakCheckScope none(empty);
  EXPECT_FALSE(BreakRequested());
}

TEST_F(BuildBreak, ALoopThatGoesOnVisitsEveryIndexOnce)
{
  const BreakCheck goOn = [] { return false; };
  const BreakCheckScope scope(goOn);
  const std::vector<int> visits = Visits();
  EXPECT_EQ(std::count(visits.begin(), visits.end(), 1), kCount);
}

TEST_F(BuildBreak, ALoopBrokenOffBeforeItStartsVisitsNothing)
{
  const BreakCheck stop = [] { return true; };
  const BreakCheckScope scope(stop);
  const std::vector<int> visits = Visits();
  EXPECT_EQ(std::count(visits.begin(), visits.end(), 0), kCount);
}

TEST_F(BuildBreak, ALoopBrokenOffMidwaySkipsTheRangesNotYetStarted)
{
  // The check is asked on the workers: the break is seen there, not only on
  // the thread that started the loop.
  std::atomic<bool> broken{false};
  const BreakCheck check = [&] { return broken.load(); };
  const BreakCheckScope scope(check);
  const std::vector<int> visits = Visits([&] { broken = true; });
  EXPECT_GT(std::count(visits.begin(), visits.end(), 0), 0) << "every range ran after the break";
  EXPECT_EQ(std::count_if(visits.begin(), visits.end(), [](int n) { return n > 1; }), 0);
}

TEST_F(BuildBreak, AModelingCommandIsRefusedOnceTheBuildIsBrokenOff)
{
  BaseContainer settings;
  settings.SetInt32(MDATA_SUBDIVIDE_SUB, 2);
  const auto subdivide = [&](const BreakCheck& check) {
    const BreakCheckScope scope(check);
    BaseObject* op = NewPolygonObject(MakePlane(4.0, 4.0, 2, 1));
    ModelingCommandData md;
    md.op = op;
    md.bc = &settings;
    const Bool ran = SendModelingCommand(MCOMMAND_SUBDIVIDE, md);
    const std::size_t polygons = ReadPolygonMesh(*AsObject(op)).polygons.size();
    BaseObject::Free(op);
    return std::pair{ran, polygons};
  };
  EXPECT_EQ(subdivide([] { return false; }), std::pair(Bool(true), std::size_t(2 * 16)));
  EXPECT_EQ(subdivide([] { return true; }), std::pair(Bool(false), std::size_t(2)));
  // Broken off once the command has started (the check's first answer lets
  // it in): it stops between its steps, leaves the object as it was and
  // writes no console line, since nobody waits for that build any more.
  const std::size_t linesBefore = Console::Instance().Lines().size();
  std::atomic<int> asked{0};
  EXPECT_EQ(subdivide([&] { return asked++ > 0; }), std::pair(Bool(false), std::size_t(2)));
  EXPECT_GE(asked.load(), 2) << "the command did not look again after it started";
  EXPECT_EQ(Console::Instance().Lines().size(), linesBefore);
}

} // namespace
} // namespace qhost
