// The generator's build through the loaded module: which child it takes, when
// it rebuilds, normals, the Phong tag, relaxation and the range line.
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tbb/global_control.h>

#include "host/geometry/neighbor_graph.h"
#include "plugin_test_support.h"

namespace qtest {
namespace {

using ::testing::ElementsAre;

constexpr Int32 kSubdivisions = 2000;
constexpr Int32 kSmoothSubdivision = 2001;
constexpr Int32 kSmoothing = 2003;
constexpr Int32 kAddLayer = 3002;

// One quad, one triangle and a point no polygon uses.
//   3---2
//   |   | \        (z = 0 plane, the triangle leans up in z)
//   0---1--4
PolygonObject* QuadTriangleAndLoosePoint()
{
  return MakePolygonObject({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {200, 0, 100}, {7, 7, 7}},
                           {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 2)});
}

std::vector<Vector> Points(const BaseObject* op)
{
  const auto* poly = static_cast<const PolygonObject*>(op);
  return {poly->GetPointR(), poly->GetPointR() + poly->GetPointCount()};
}

// Every layer moves every point by exactly one unit along its normal: Elevate
// 100 % lifts any positive noise value to 1, Strength 2 % is one unit.
void MoveOneUnitAlongNormals(BaseContainer& bc)
{
  bc.SetFloat(LayerId(0, 12), 1.0);  // Elevate
  bc.SetFloat(LayerId(0, 5), 0.02);  // Strength
  bc.SetInt32(LayerId(0, 4), 500);   // Simple Noise: positive almost everywhere
}

TEST(RockMakerBuildTest, WithoutASuitableChildTheCacheIsAnEmptyNullObject)
{
  RockFixture rock;
  BaseObject* cache = rock.Build();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->GetType(), Onull);
  EXPECT_EQ(cache->GetDown(), nullptr);

  BaseObject* field = BaseObject::Alloc(Ofield_spherical);
  ASSERT_NE(field, nullptr);
  field->InsertUnder(rock.generator);
  rock.generator->SetDirty(DIRTYFLAGS_DATA);
  cache = rock.Build();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->GetType(), Onull) << "a field object is neither a generator, a polygon object nor a null";
}

TEST(RockMakerBuildTest, UnchangedSceneKeepsItsCacheAndPrintsNothing)
{
  RockFixture rock;
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  BaseObject* first = rock.Build();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetType(), Opolygon);
  EXPECT_EQ(TakeConsoleLines().size(), 1u);

  EXPECT_EQ(rock.Build(), first);
  EXPECT_TRUE(TakeConsoleLines().empty());

  rock.generator->SetParameter(DescID(kSubdivisions), GeData(Int32(1)), DESCFLAGS_SET::NONE);
  BaseObject* second = rock.Build();
  EXPECT_NE(second, first);
  EXPECT_EQ(TakeConsoleLines().size(), 1u);

  // A change of the child rebuilds too.
  rock.generator->GetDown()->SetParameter(DescID(1100), GeData(Vector(50, 50, 50)), DESCFLAGS_SET::NONE);
  EXPECT_NE(rock.Build(), second);
}

TEST(RockMakerBuildTest, RangeLineShowsTheStartValuesWhenNoLayerIsUsed)
{
  RockFixture rock;
  rock.Data().SetBool(LayerId(0, 3), false);
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  rock.Build();
  EXPECT_THAT(TakeConsoleLines(),
              ElementsAre("maxval = -1.7976931348623157e+308, minavl = 1.7976931348623157e+308"));
}

TEST(RockMakerBuildTest, RangeLineReportsTheNoiseValuesOfTheBuild)
{
  RockFixture rock;
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  rock.Build();
  const std::vector<std::string> lines = TakeConsoleLines();
  ASSERT_EQ(lines.size(), 1u);
  double maxValue = -1.0, minValue = -1.0;
  ASSERT_EQ(std::sscanf(lines[0].c_str(), "maxval = %lf, minavl = %lf", &maxValue, &minValue), 2) << lines[0];
  EXPECT_LE(0.0, minValue);
  EXPECT_LT(minValue, maxValue) << "the electric noise varies over the rock";
  EXPECT_LE(maxValue, 1.0);
}

TEST(RockMakerBuildTest, GeneratorsPhongTagComesFirstOnTheMesh)
{
  RockFixture rock;
  PolygonObject* child = QuadTriangleAndLoosePoint();
  child->SetPhong(true, false, 0.5); // the source's own Phong tag stays too
  child->InsertUnder(rock.generator);
  BaseObject* cache = rock.Build();
  ASSERT_EQ(cache->GetType(), Opolygon);
  BaseTag* first = cache->GetFirstTag();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetType(), Tphong);
  EXPECT_TRUE(first->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT));
  EXPECT_NEAR(first->GetDataInstance()->GetFloat(PHONGTAG_PHONG_ANGLE), 80.0 * kPi / 180.0, 1e-12);
  EXPECT_EQ(cache->GetTag(Tphong, 1) != nullptr, true);
}

TEST(RockMakerBuildTest, NormalsCountTrianglesOnceAndLeaveUnusedPointsAlone)
{
  RockFixture rock;
  rock.Data().SetInt32(kSubdivisions, 0);
  MoveOneUnitAlongNormals(rock.Data());
  PolygonObject* child = QuadTriangleAndLoosePoint();
  const std::vector<Vector> before = Points(child);
  child->InsertUnder(rock.generator);
  const std::vector<Vector> after = Points(rock.Build());
  ASSERT_EQ(after.size(), before.size());

  const Vector quad = Cross(before[1] - before[3], before[2] - before[0]).GetNormalized();
  const Vector tri = Cross(before[4] - before[1], before[2] - before[1]).GetNormalized();
  const Vector expected[] = {quad, (quad + tri).GetNormalized(), (quad + tri).GetNormalized(), quad, tri, Vector()};
  for (size_t i = 0; i < before.size(); ++i)
  {
    const Vector moved = after[i] - before[i];
    EXPECT_NEAR(moved.x, expected[i].x, 1e-9) << "point " << i;
    EXPECT_NEAR(moved.y, expected[i].y, 1e-9) << "point " << i;
    EXPECT_NEAR(moved.z, expected[i].z, 1e-9) << "point " << i;
  }
}

// Reference relaxation: full in-place passes, then one pass at weight.
std::vector<Vector> Relax(std::vector<Vector> p, const PolygonObject& mesh, Int32 passes, Float weight)
{
  qhost::NeighborGraph graph;
  EXPECT_TRUE(graph.Build(Int32(p.size()), {mesh.GetPolygonR(), mesh.GetPolygonR() + mesh.GetPolygonCount()}));
  const auto mean = [&](size_t j) {
    Vector sum;
    for (const Int32 n : graph.OneRing(Int32(j)))
      sum += p[size_t(n)];
    return sum / Float(graph.OneRing(Int32(j)).size());
  };
  for (Int32 pass = 0; pass < passes; ++pass)
    for (size_t j = 0; j < p.size(); ++j)
      p[j] = mean(j);
  for (size_t j = 0; j < p.size(); ++j)
    p[j] = p[j] + (mean(j) - p[j]) * weight;
  return p;
}

void ExpectSamePoints(const std::vector<Vector>& a, const std::vector<Vector>& b)
{
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i)
    EXPECT_NEAR((a[i] - b[i]).GetLength(), 0.0, 1e-9) << "point " << i;
}

TEST(RockMakerBuildTest, SmoothingRunsWholePassesThenOneWeightedPass)
{
  RockFixture rock;
  rock.Data().SetBool(LayerId(0, 3), false); // no displacement: relaxation alone
  rock.Data().SetInt32(kSubdivisions, 1);
  rock.Data().SetBool(kSmoothSubdivision, false);
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  BaseObject* unrelaxedCache = rock.Build();
  const std::vector<Vector> unrelaxed = Points(unrelaxedCache);

  for (const auto& [smoothing, passes, weight] : {std::tuple{0.5, 0, 0.5}, {2.0, 2, 0.0}, {1.25, 1, 0.25}})
  {
    rock.generator->SetParameter(DescID(kSmoothing), GeData(smoothing), DESCFLAGS_SET::NONE);
    BaseObject* cache = rock.Build();
    SCOPED_TRACE(smoothing);
    ExpectSamePoints(Points(cache), Relax(unrelaxed, *static_cast<PolygonObject*>(cache), passes, weight));
  }
  rock.generator->SetParameter(DescID(kSmoothing), GeData(0.0), DESCFLAGS_SET::NONE);
  ExpectSamePoints(Points(rock.Build()), unrelaxed);
}

TEST(RockMakerBuildTest, SubdivisionFollowsTheGeneratorsSettings)
{
  RockFixture rock;
  rock.Data().SetBool(LayerId(0, 3), false);
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  for (const Int32 levels : {0, 1, 3})
  {
    rock.generator->SetParameter(DescID(kSubdivisions), GeData(levels), DESCFLAGS_SET::NONE);
    const auto* mesh = static_cast<PolygonObject*>(rock.Build());
    EXPECT_EQ(mesh->GetPolygonCount(), 6 << (2 * levels));
  }
  rock.generator->SetParameter(DescID(kSubdivisions), GeData(Int32(-3)), DESCFLAGS_SET::NONE);
  EXPECT_EQ(static_cast<PolygonObject*>(rock.Build())->GetPolygonCount(), 6) << "negative counts act as 0";
}

TEST(RockMakerBuildTest, ASubdivisionBeyondTheHostsLimitGivesANullObjectAndTheRangeLine)
{
  RockFixture rock;
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  rock.Data().SetInt32(kSubdivisions, 30);
  BaseObject* cache = rock.Build();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->GetType(), Onull);
  const std::vector<std::string> lines = TakeConsoleLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "maxval = -1.7976931348623157e+308, minavl = 1.7976931348623157e+308");
}

TEST(RockMakerBuildTest, PointsAndRangeLineDoNotDependOnTheThreadCount)
{
  // Three different layers over enough points for many parallel ranges.
  const auto build = [](int threads) {
    const tbb::global_control limit(tbb::global_control::max_allowed_parallelism, threads);
    RockFixture rock;
    BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
    rock.Data().SetInt32(kSubdivisions, 5);
    rock.Press(kAddLayer);
    rock.Press(kAddLayer);
    rock.Data().SetInt32(LayerId(1, 4), 21);  // Turbulence
    rock.Data().SetInt32(LayerId(2, 4), 27);  // Voronoi 1
    TakeConsoleLines();
    const std::vector<Vector> points = Points(rock.Build());
    return std::make_pair(points, TakeConsoleLines());
  };
  const auto one = build(1);
  ASSERT_EQ(one.first.size(), 6146u);
  for (int threads : {2, 8})
  {
    const auto other = build(threads);
    EXPECT_TRUE(one.first == other.first) << threads << " threads moved the points differently";
    EXPECT_EQ(one.second, other.second) << threads << " threads";
  }
}

} // namespace
} // namespace qtest
