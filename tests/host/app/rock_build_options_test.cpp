#include "host/app/rock_build_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/app/app_context.h"

namespace qhost::app {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

TEST(RockBuildOptions, TheChildComesFromOneOptionOnly)
{
  RockBuildOptions options;
  options.scene = "a.json";
  options.input = "b.obj";
  EXPECT_THAT([&] { CheckRockBuildOptions(options); },
              ThrowsMessage<UsageError>(HasSubstr("--scene and --input both give the generator's child")));
  for (const auto& [scene, input] : {std::pair{"a.json", ""}, std::pair{"", "b.obj"}})
  {
    RockBuildOptions withPrimitive;
    withPrimitive.scene = scene;
    withPrimitive.input = input;
    withPrimitive.primitive = "sphere";
    EXPECT_THAT([&] { CheckRockBuildOptions(withPrimitive); },
                ThrowsMessage<UsageError>(HasSubstr("--primitive chooses the generator's child")));
  }
  RockBuildOptions unknown;
  unknown.primitive = "torus";
  EXPECT_THAT([&] { CheckRockBuildOptions(unknown); },
              ThrowsMessage<UsageError>(HasSubstr("--primitive torus: expected cube, sphere or plane")));
}

TEST(RockBuildOptions, PrimitivesUnitsFieldsAndSetsAreReadBeforeAnyModuleLoads)
{
  RockBuildOptions options;
  options.primitive = "plane";
  options.units.unit = "mm";
  options.units.up = "z";
  options.fields = {"box,0,0,10,5,20"};
  options.sets = {"OXROCK_SEED=7", "layer1.Strength=50%"};
  const RockBuildJob job = CheckRockBuildOptions(options);
  EXPECT_EQ(job.primitive, Oplane);
  EXPECT_EQ(job.frame.unit.hostUnits, kMillimetre.hostUnits);
  EXPECT_EQ(job.frame.up, UpAxis::Z);
  ASSERT_EQ(job.fields.size(), 1u);
  EXPECT_EQ(job.fields[0].type, Ofield_box);
  EXPECT_DOUBLE_EQ(job.fields[0].outer, 2.0) << "20 mm in centimetres";
  ASSERT_EQ(job.assignments.size(), 2u);
  EXPECT_EQ(job.assignments[1].name, "layer1.Strength");
  EXPECT_EQ(CheckRockBuildOptions(RockBuildOptions()).primitive, Ocube);
}

TEST(RockBuildOptions, BadUnitsFieldsAndSetsNameTheirOption)
{
  RockBuildOptions unit;
  unit.units.unit = "inch";
  EXPECT_THAT([&] { CheckRockBuildOptions(unit); }, ThrowsMessage<UsageError>(HasSubstr("--unit")));
  RockBuildOptions field;
  field.fields = {"cone,0,0,0,1,2"};
  EXPECT_THAT([&] { CheckRockBuildOptions(field); }, ThrowsMessage<UsageError>(HasSubstr("--field")));
  RockBuildOptions set;
  set.sets = {"OXROCK_SEED"};
  EXPECT_THAT([&] { CheckRockBuildOptions(set); }, ThrowsMessage<UsageError>(HasSubstr("--set OXROCK_SEED")));
}

} // namespace
} // namespace qhost::app
