#include "host/shading/host_gradient.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "shading_test_support.h"

namespace qhost {
namespace {

::GradientKnot Knot(const Vector& colour, Float pos)
{
  ::GradientKnot knot;
  knot.col = colour;
  knot.pos = pos;
  knot.interpolation = GRADIENT_INTERPOLATION_TYPE::LINEAR;
  return knot;
}

HostGradient Ramp(const Vector& from, const Vector& to)
{
  HostGradient gradient;
  gradient.InsertKnot(Knot(from, 0.0));
  gradient.InsertKnot(Knot(to, 1.0));
  return gradient;
}

Vector Lookup(const Gradient& gradient, Float pos)
{
  Result<GradientRenderDataRef> prepared = gradient.PrepareRenderData(InitRenderStruct{});
  EXPECT_FALSE(prepared.HasError());
  return prepared.GetValue().Get()->CalcGradientPixel(pos);
}

TEST(HostGradientPreparation, TouchesNoHeapAndHandsOutTheSharedLookup)
{
  const HostGradient gradient = Ramp(Vector(0.0), Vector(1.0, 0.5, 0.25));
  const InitRenderStruct irs;
  Vector sum;
  const long before = test::AllocationCount();
  for (int i = 0; i < 1000; ++i)
  {
    Result<GradientRenderDataRef> prepared = gradient.PrepareRenderData(irs);
    sum += prepared.GetValue().Get()->CalcGradientPixel(i / 1000.0);
  }
  EXPECT_EQ(test::AllocationCount(), before);
  EXPECT_NEAR(sum.x, 499.5, 1e-9);
  EXPECT_NEAR(sum.y, 249.75, 1e-9);
  EXPECT_EQ(gradient.CurrentLookup()->ReferenceCount(), 1);
}

TEST(HostGradientPreparation, EmptyGradientPreparesABlackLookup)
{
  const HostGradient gradient;
  Result<GradientRenderDataRef> prepared = gradient.PrepareRenderData(InitRenderStruct{});
  ASSERT_FALSE(prepared.HasError());
  ASSERT_TRUE(prepared.GetValue());
  for (const Float pos : {-1.0, 0.0, 0.5, 1.0, 2.0})
    EXPECT_EQ(prepared.GetValue().Get()->CalcGradientPixel(pos), Vector());
}

TEST(HostGradientSharing, ReferencesCountAndOldLookupsOutliveEdits)
{
  HostGradient gradient = Ramp(Vector(0.0), Vector(1.0));
  const SharedGradientLookup* first = gradient.CurrentLookup();
  Result<GradientRenderDataRef> held = gradient.PrepareRenderData(InitRenderStruct{});
  EXPECT_EQ(first->ReferenceCount(), 2);
  {
    GradientRenderDataRef copy = held.GetValue();
    EXPECT_EQ(first->ReferenceCount(), 3);
  }
  EXPECT_EQ(first->ReferenceCount(), 2);

  // An edit builds a new lookup; the held one keeps the old colours.
  gradient.SetKnot(1, Knot(Vector(0.0, 0.0, 1.0), 1.0));
  EXPECT_NE(gradient.CurrentLookup(), first);
  EXPECT_EQ(first->ReferenceCount(), 1);
  EXPECT_EQ(held.GetValue().Get()->CalcGradientPixel(1.0), Vector(1.0));
  EXPECT_EQ(Lookup(gradient, 1.0), Vector(0.0, 0.0, 1.0));
}

TEST(HostGradientSharing, ClonesShareUntilEitherSideChanges)
{
  HostGradient gradient = Ramp(Vector(0.0), Vector(1.0));
  std::unique_ptr<CustomDataType> clone(gradient.Clone());
  auto& copy = static_cast<HostGradient&>(*clone);
  EXPECT_EQ(copy.CurrentLookup(), gradient.CurrentLookup());
  EXPECT_EQ(gradient.CurrentLookup()->ReferenceCount(), 2);
  EXPECT_TRUE(copy.IsEqual(gradient));

  copy.RemoveKnot(0);
  EXPECT_NE(copy.CurrentLookup(), gradient.CurrentLookup());
  EXPECT_EQ(gradient.CurrentLookup()->ReferenceCount(), 1);
  EXPECT_FALSE(copy.IsEqual(gradient));
  EXPECT_EQ(copy.GetKnotCount(), 1);
  EXPECT_EQ(Lookup(gradient, 0.0), Vector(0.0));
  EXPECT_EQ(Lookup(copy, 0.0), Vector(1.0));
}

TEST(HostGradientSharing, ConcurrentPreparationsBalanceTheCount)
{
  const HostGradient gradient = Ramp(Vector(0.0), Vector(1.0));
  std::vector<std::thread> threads;
  std::vector<Float> sums(8, 0.0);
  for (size_t t = 0; t < sums.size(); ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i <= 2000; ++i)
      {
        Result<GradientRenderDataRef> prepared = gradient.PrepareRenderData(InitRenderStruct{});
        GradientRenderDataRef copy = prepared.GetValue();
        sums[t] += copy.Get()->CalcGradientPixel(i / 2000.0).x;
      }
    });
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(gradient.CurrentLookup()->ReferenceCount(), 1);
  for (const Float sum : sums)
    EXPECT_NEAR(sum, 1000.5, 1e-9);
}

TEST(HostGradientApi, KnotsAndSettingsRoundTrip)
{
  HostGradient gradient;
  ::GradientKnot knot = Knot(Vector(0.1, 0.2, 0.3), 0.4);
  knot.brightness = 0.5;
  knot.bias = 0.7;
  knot.index = 9;
  knot.interpolation = GRADIENT_INTERPOLATION_TYPE::EXP_UP;
  EXPECT_EQ(gradient.InsertKnot(knot), 0);
  const ::GradientKnot back = gradient.GetKnot(0);
  EXPECT_EQ(back.col, knot.col);
  EXPECT_EQ(back.brightness, 0.5);
  EXPECT_EQ(back.pos, 0.4);
  EXPECT_EQ(back.bias, 0.7);
  EXPECT_EQ(back.index, 9);
  EXPECT_EQ(back.interpolation, GRADIENT_INTERPOLATION_TYPE::EXP_UP);
  EXPECT_FALSE(gradient.RemoveKnot(3));

  EXPECT_EQ(gradient.GetData(GRADIENT_MODE).GetType(), DA_NIL);
  EXPECT_TRUE(gradient.SetData(GRADIENT_MODE, GeData(Int32(7))));
  EXPECT_EQ(gradient.GetData(GRADIENT_MODE).GetInt32(), 7);
  EXPECT_FALSE(gradient.SetData(GRADIENT_MODE, GeData(Vector(1.0))));
}

TEST(HostGradientApi, StepModeOverridesTheKnots)
{
  HostGradient gradient = Ramp(Vector(0.0), Vector(1.0));
  EXPECT_NEAR(Lookup(gradient, 0.25).x, 0.25, 1e-12);
  gradient.SetData(GRADIENT_MODE, GeData(Int32(kGradientOverrideStep)));
  EXPECT_EQ(Lookup(gradient, 0.25), Vector(0.0));
}

TEST(HostGradientApi, AllocatedThroughTheHostAndCopiedByValues)
{
  test::UseHost();
  Gradient* gradient = Gradient::Alloc();
  ASSERT_NE(gradient, nullptr);
  gradient->InsertKnot(Knot(Vector(0.3), 0.0));
  BaseContainer bc;
  bc.SetData(1, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));
  Gradient::Free(gradient);
  const BaseContainer copy = bc;
  const Gradient* stored = copy.GetCustomDataType<Gradient>(1, CUSTOMDATATYPE_GRADIENT);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(Lookup(*stored, 0.9), Vector(0.3));
}

TEST(DefaultGradientLookup, IsABlackToWhiteRamp)
{
  test::UseHost();
  const GradientRenderData* ramp = GetDefaultGradientRenderData();
  ASSERT_NE(ramp, nullptr);
  EXPECT_EQ(ramp->CalcGradientPixel(0.0), Vector(0.0));
  EXPECT_EQ(ramp->CalcGradientPixel(1.0), Vector(1.0));
  EXPECT_NEAR(ramp->CalcGradientPixel(0.25).y, 0.25, 1e-12);
  EXPECT_EQ(ramp->CalcGradientPixel(-3.0), Vector(0.0));
}

} // namespace
} // namespace qhost
