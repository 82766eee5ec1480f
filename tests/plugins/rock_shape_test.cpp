// Every continuous noise type, at the default layer settings on the default
// cube, makes a rock whose surface stays a surface: no face turns against
// its undisplaced normal and no edge folds past 90°, at subdivisions 4 to 6.
// A different seed moves the pattern, so the rock's extent changes too.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "host/geometry/object_node.h"
#include "host/geometry/polygon_mesh.h"
#include "host/inspect/mesh_report.h"
#include "host/inspect/shape_change.h"
#include "host/noise/noise.h"
#include "plugin_test_support.h"

namespace qtest {
namespace {

constexpr Int32 kSubdivisions = 2000;
constexpr Int32 kSeed = 2008;
constexpr Int32 kNoiseTypeOffset = 4;
constexpr Int32 kStrengthOffset = 5;
// The generator's own types next to the host's: ridged multifractal and simple noise.
constexpr Int32 kRidgedMultifractal = 400;
constexpr Int32 kSimpleNoise = 500;

qhost::MeshData BuildRock(Int32 noiseType, Int32 subdivisions, Float strength, Int32 seed = 1234)
{
  RockFixture rock;
  BaseObject::Alloc(Ocube)->InsertUnder(rock.generator);
  if (noiseType != 0)
    rock.Data().SetInt32(LayerId(0, kNoiseTypeOffset), noiseType);
  rock.Data().SetInt32(kSubdivisions, subdivisions);
  rock.Data().SetInt32(kSeed, seed);
  if (strength >= 0.0)
    rock.Data().SetFloat(LayerId(0, kStrengthOffset), strength);
  BaseObject* cache = rock.Build();
  EXPECT_NE(cache, nullptr);
  EXPECT_EQ(cache->GetType(), Opolygon);
  return qhost::ReadPolygonMesh(*qhost::As<qhost::ObjectNode>(cache));
}

// 0 stands for the generator's default layer.
class RockShape : public testing::TestWithParam<Int32>
{
};

TEST_P(RockShape, NoFaceTurnsAndNoEdgeFoldsAtSubdivisionsFourToSix)
{
  for (Int32 subdivisions : {4, 5, 6})
  {
    const qhost::MeshData flat = BuildRock(GetParam(), subdivisions, 0.0);
    const qhost::MeshData rock = BuildRock(GetParam(), subdivisions, -1.0);
    ASSERT_EQ(rock.polygons, flat.polygons);
    ASSERT_NE(rock.points, flat.points) << "the layer moved nothing";
    const qhost::MeshReport report = qhost::InspectMesh(rock);
    EXPECT_EQ(qhost::CountFacesTurnedFrom(flat, rock), 0) << "subdivisions " << subdivisions;
    EXPECT_EQ(report.foldedEdges, 0) << "subdivisions " << subdivisions;
    EXPECT_EQ(report.turnedFaces, 0) << "subdivisions " << subdivisions;
    EXPECT_TRUE(report.Closed()) << "subdivisions " << subdivisions;
    EXPECT_EQ(report.selfIntersections, 0) << "subdivisions " << subdivisions;
  }
}

std::vector<Int32> ContinuousTypes()
{
  std::vector<Int32> types = {0, kRidgedMultifractal, kSimpleNoise};
  for (const qhost::NoiseTypeInfo& info : qhost::AllNoiseTypes())
    if (info.continuous)
      types.push_back(info.type);
  return types;
}

std::string TypeName(const testing::TestParamInfo<Int32>& param)
{
  if (param.param == 0)
    return "DefaultRock";
  if (const qhost::NoiseTypeInfo* info = qhost::FindNoiseType(param.param))
  {
    std::string name;
    for (const char c : std::string(info->label))
      if (std::isalnum(static_cast<unsigned char>(c)))
        name += c;
    return name;
  }
  return param.param == kRidgedMultifractal ? "RidgedMultifractal" : "SimpleNoise";
}

INSTANTIATE_TEST_SUITE_P(EveryContinuousType, RockShape, testing::ValuesIn(ContinuousTypes()), TypeName);

TEST(RockSeed, AnotherSeedGivesAnotherExtent)
{
  const qhost::MeshReport a = qhost::InspectMesh(BuildRock(0, 2, -1.0, 1234));
  const qhost::MeshReport b = qhost::InspectMesh(BuildRock(0, 2, -1.0, 4321));
  EXPECT_NE(a.boxMax.x, b.boxMax.x);
  EXPECT_NE(a.boxMin.y, b.boxMin.y);
  EXPECT_NE(a.boxMax.z, b.boxMax.z);
}

} // namespace
} // namespace qtest
