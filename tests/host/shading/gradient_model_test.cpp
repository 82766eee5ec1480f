#include "host/shading/gradient_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "allocation_counter.h"

namespace qhost {
namespace {

constexpr Float kEps = 1e-12;
const Vector kLeft{0.2, 0.4, 0.6};
const Vector kRight{1.0, 0.0, 0.5};

GradientKnot Knot(Vector color, Float position, Int32 interpolation = kGradientBlend, Float bias = 0.5)
{
  GradientKnot knot;
  knot.color = color;
  knot.position = position;
  knot.interpolation = interpolation;
  knot.bias = bias;
  return knot;
}

GradientModel TwoKnots(Int32 interpolation, Float bias = 0.5)
{
  GradientModel model;
  model.InsertKnot(Knot(kLeft, 0.0, interpolation, bias));
  model.InsertKnot(Knot(kRight, 1.0, interpolation));
  return model;
}

// How far along from kLeft to kRight a colour lies, checked to lie on that line.
Float WeightOf(const Vector& color)
{
  const Float w = (color.x - kLeft.x) / (kRight.x - kLeft.x);
  EXPECT_NEAR(color.y, kLeft.y + (kRight.y - kLeft.y) * w, 1e-9);
  EXPECT_NEAR(color.z, kLeft.z + (kRight.z - kLeft.z) * w, 1e-9);
  return w;
}

void ExpectNear(const Vector& actual, const Vector& expected, Float eps = kEps)
{
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

TEST(GradientModelEditing, SlotsFollowInsertionAndRemoval)
{
  GradientModel model;
  EXPECT_EQ(model.InsertKnot(Knot(Vector(1.0), 0.9)), 0);
  EXPECT_EQ(model.InsertKnot(Knot(Vector(2.0), 0.1)), 1);
  EXPECT_EQ(model.InsertKnot(Knot(Vector(3.0), 0.5)), 2);
  EXPECT_EQ(model.GetKnotCount(), 3);

  EXPECT_TRUE(model.RemoveKnot(1));
  EXPECT_FALSE(model.RemoveKnot(2));
  EXPECT_FALSE(model.RemoveKnot(-1));
  ASSERT_EQ(model.GetKnotCount(), 2);
  EXPECT_EQ(model.GetKnot(1)->color, Vector(3.0));
  EXPECT_EQ(model.GetKnot(2), nullptr);
  EXPECT_EQ(model.GetKnot(-1), nullptr);

  EXPECT_TRUE(model.SetKnot(0, Knot(Vector(5.0), 0.25)));
  EXPECT_FALSE(model.SetKnot(2, Knot(Vector(5.0), 0.25)));
  EXPECT_EQ(model.GetKnot(0)->position, 0.25);
}

TEST(GradientModelEditing, SettingsFallBackWhenUnset)
{
  GradientModel model;
  EXPECT_EQ(model.GetSetting(kGradientSettingInterpolation), 0);
  EXPECT_EQ(model.GetSetting(77, -3), -3);
  model.SetSetting(77, 12);
  EXPECT_EQ(model.GetSetting(77, -3), 12);
  EXPECT_EQ(model.GetSettings().size(), 1u);
}

TEST(GradientEvaluation, EveryInterpolationHitsBothKnotsExactly)
{
  for (Int32 type = kGradientNone; type <= kGradientBlend; ++type)
  {
    SCOPED_TRACE(type);
    const GradientLookup lookup(TwoKnots(type));
    ExpectNear(lookup.Evaluate(0.0), kLeft, 0.0);
    ExpectNear(lookup.Evaluate(1.0), kRight, 0.0);
  }
}

TEST(GradientEvaluation, MidpointAndQuarterWeightsPerInterpolation)
{
  const Float expHalf = 1.0 / (std::exp(2.0) + 1.0);
  const Float expUpQuarter = std::expm1(1.0) / std::expm1(4.0);
  const Float expUpThreeQuarters = std::expm1(3.0) / std::expm1(4.0);
  struct Case
  {
    Int32 type;
    Float atQuarter;
    Float atHalf;
  };
  const Case cases[] = {
      {kGradientNone, 0.0, 0.0},
      {kGradientLinear, 0.25, 0.5},
      {kGradientSmoothKnot, 0.15625, 0.5},
      {kGradientExpUp, expUpQuarter, expHalf},
      {kGradientExpDown, 1.0 - expUpThreeQuarters, 1.0 - expHalf},
      {kGradientCubicKnot, 0.25, 0.5}, // two knots: the tangents make it a line
      {kGradientBlend, 0.103515625, 0.5},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.type);
    const GradientLookup lookup(TwoKnots(c.type));
    EXPECT_NEAR(WeightOf(lookup.Evaluate(0.25)), c.atQuarter, kEps);
    EXPECT_NEAR(WeightOf(lookup.Evaluate(0.5)), c.atHalf, kEps);
  }
}

TEST(GradientEvaluation, EveryInterpolationIsMonotonicBetweenTwoKnots)
{
  for (Int32 type = kGradientNone; type <= kGradientBlend; ++type)
  {
    SCOPED_TRACE(type);
    const GradientLookup lookup(TwoKnots(type, 0.3));
    Float previous = 0.0;
    for (int i = 0; i <= 1000; ++i)
    {
      const Float w = WeightOf(lookup.Evaluate(i / 1000.0));
      EXPECT_GE(w, previous - kEps);
      EXPECT_LE(w, 1.0 + kEps);
      previous = w;
    }
  }
}

TEST(GradientEvaluation, StepHoldsTheLeftColourUntilTheNextKnot)
{
  GradientModel model;
  model.InsertKnot(Knot(kLeft, 0.0, kGradientNone));
  model.InsertKnot(Knot(kRight, 0.5, kGradientNone));
  model.InsertKnot(Knot(Vector(9.0), 1.0, kGradientNone));
  const GradientLookup lookup(model);
  EXPECT_EQ(lookup.Evaluate(0.4999999), kLeft);
  EXPECT_EQ(lookup.Evaluate(0.5), kRight);
  EXPECT_EQ(lookup.Evaluate(std::nextafter(1.0, 0.0)), kRight);
  EXPECT_EQ(lookup.Evaluate(1.0), Vector(9.0));
}

TEST(GradientEvaluation, BiasMovesTheMidpoint)
{
  for (Int32 type : {kGradientLinear, kGradientSmoothKnot, kGradientCubicKnot, kGradientBlend})
  {
    SCOPED_TRACE(type);
    for (Float bias : {0.1, 0.25, 0.5, 0.8})
    {
      const GradientLookup lookup(TwoKnots(type, bias));
      EXPECT_NEAR(WeightOf(lookup.Evaluate(bias)), 0.5, 1e-9);
    }
  }
  // A bias below the midpoint pulls the whole first half towards the right colour.
  const GradientLookup early(TwoKnots(kGradientLinear, 0.2));
  const GradientLookup even(TwoKnots(kGradientLinear, 0.5));
  EXPECT_GT(WeightOf(early.Evaluate(0.7)), WeightOf(even.Evaluate(0.7)));
}

TEST(GradientEvaluation, ExtremeOrNanBiasStaysFinite)
{
  for (Float bias : {0.0, 1.0, -3.0, 7.0, std::numeric_limits<Float>::quiet_NaN()})
  {
    const GradientLookup lookup(TwoKnots(kGradientSmoothKnot, bias));
    for (int i = 0; i <= 100; ++i)
    {
      const Vector c = lookup.Evaluate(i / 100.0);
      EXPECT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z));
    }
  }
}

TEST(GradientEvaluation, ClampsOutsideTheKnotsAndMapsNanToTheFirstColour)
{
  GradientModel model;
  model.InsertKnot(Knot(kRight, 0.8, kGradientLinear));
  model.InsertKnot(Knot(kLeft, 0.2, kGradientLinear));
  const GradientLookup lookup(model);
  const Float inf = std::numeric_limits<Float>::infinity();
  for (Float pos : {0.2, 0.1, 0.0, -5.0, -inf, std::numeric_limits<Float>::quiet_NaN()})
    EXPECT_EQ(lookup.Evaluate(pos), kLeft) << pos;
  for (Float pos : {0.8, 0.9, 1.0, 7.0, inf})
    EXPECT_EQ(lookup.Evaluate(pos), kRight) << pos;
  ExpectNear(lookup.Evaluate(0.5), (kLeft + kRight) * 0.5);
}

TEST(GradientEvaluation, EmptyIsBlackAndOneKnotIsConstant)
{
  const GradientLookup empty{GradientModel()};
  EXPECT_EQ(empty.Evaluate(0.5), Vector());
  EXPECT_EQ(empty.Evaluate(std::numeric_limits<Float>::quiet_NaN()), Vector());
  EXPECT_EQ(GradientLookup().Evaluate(0.3), Vector());

  GradientModel single;
  single.InsertKnot(Knot(kRight, 0.4));
  for (Float pos : {-1.0, 0.0, 0.4, 0.9, 2.0})
    EXPECT_EQ(single.Evaluate(pos), kRight);
}

TEST(GradientEvaluation, BrightnessScalesTheKnotColour)
{
  GradientModel model = TwoKnots(kGradientLinear);
  GradientKnot bright = *model.GetKnot(1);
  bright.brightness = 2.5;
  model.SetKnot(1, bright);
  ExpectNear(model.Evaluate(1.0), kRight * 2.5);
  ExpectNear(model.Evaluate(0.5), (kLeft + kRight * 2.5) * 0.5);
}

TEST(GradientEvaluation, KnotPositionsOutsideTheUnitRangeAreClamped)
{
  GradientModel model;
  model.InsertKnot(Knot(kLeft, -2.0, kGradientLinear));
  model.InsertKnot(Knot(kRight, 3.0, kGradientLinear));
  ExpectNear(model.Evaluate(0.5), (kLeft + kRight) * 0.5);
  EXPECT_EQ(model.Evaluate(1.0), kRight);
}

TEST(GradientEvaluation, CoincidentKnotsMakeAHardEdge)
{
  GradientModel model;
  model.InsertKnot(Knot(Vector(0.0), 0.0, kGradientLinear));
  model.InsertKnot(Knot(Vector(1.0), 0.5, kGradientLinear));
  model.InsertKnot(Knot(Vector(5.0), 0.5, kGradientLinear));
  model.InsertKnot(Knot(Vector(6.0), 1.0, kGradientLinear));
  const GradientLookup lookup(model);
  ExpectNear(lookup.Evaluate(std::nextafter(0.5, 0.0)), Vector(1.0), 1e-9);
  EXPECT_EQ(lookup.Evaluate(0.5), Vector(5.0));
  ExpectNear(lookup.Evaluate(0.75), Vector(5.5));
}

TEST(GradientEvaluation, CubicPassesThroughKnotsAndKeepsLinearDataLinear)
{
  // Colours linear in position, knots unevenly spaced and inserted unsorted.
  GradientModel linear;
  for (Float pos : {0.7, 0.0, 0.15, 1.0, 0.4})
    linear.InsertKnot(Knot(Vector(pos, 2.0 * pos, 1.0 - pos), pos, kGradientCubicKnot));
  const GradientLookup lookup(linear);
  for (int i = 0; i <= 200; ++i)
  {
    const Float pos = i / 200.0;
    ExpectNear(lookup.Evaluate(pos), Vector(pos, 2.0 * pos, 1.0 - pos));
  }

  // Curved data: the curve goes through every knot and leaves the straight
  // line between them.
  GradientModel curved;
  curved.InsertKnot(Knot(Vector(0.0), 0.0, kGradientCubicKnot));
  curved.InsertKnot(Knot(Vector(1.0), 0.5, kGradientCubicKnot));
  curved.InsertKnot(Knot(Vector(0.0), 1.0, kGradientCubicKnot));
  const GradientLookup bump(curved);
  EXPECT_EQ(bump.Evaluate(0.5), Vector(1.0));
  EXPECT_GT(bump.Evaluate(0.25).x, 0.5 + 1e-3);
}

TEST(GradientEvaluation, InterpolationSettingOverridesTheKnots)
{
  GradientModel model = TwoKnots(kGradientNone);
  EXPECT_EQ(model.Evaluate(0.5), kLeft);
  model.SetSetting(kGradientSettingInterpolation, kGradientLinear);
  EXPECT_NEAR(WeightOf(model.Evaluate(0.25)), 0.25, kEps);
  model.SetSetting(kGradientSettingInterpolation, kGradientSmoothKnot);
  EXPECT_NEAR(WeightOf(model.Evaluate(0.25)), 0.15625, kEps);

  GradientModel linear = TwoKnots(kGradientLinear);
  linear.SetSetting(kGradientSettingInterpolation, kGradientOverrideStep);
  EXPECT_EQ(linear.Evaluate(0.9), kLeft);
  linear.SetSetting(kGradientSettingInterpolation, kGradientOverridePerKnot);
  EXPECT_NEAR(WeightOf(linear.Evaluate(0.9)), 0.9, kEps);
}

TEST(GradientEvaluation, UnknownInterpolationCodesBlend)
{
  for (Int32 code : {-1, 7, 1000})
    EXPECT_NEAR(WeightOf(TwoKnots(code).Evaluate(0.25)), 0.103515625, kEps) << code;
}

TEST(GradientEvaluation, RandomGradientsNeverProduceNan)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<Float> unit(0.0, 1.0);
  std::uniform_int_distribution<Int32> type(kGradientNone, kGradientBlend);
  for (int trial = 0; trial < 50; ++trial)
  {
    GradientModel model;
    const int knots = 1 + trial % 25; // crosses the inline capacity
    for (int k = 0; k < knots; ++k)
    {
      // Coarse positions so that coincident knots occur.
      GradientKnot knot = Knot(Vector(unit(rng), unit(rng), unit(rng)), std::round(unit(rng) * 8.0) / 8.0,
                               type(rng), unit(rng));
      model.InsertKnot(knot);
    }
    const GradientLookup lookup(model);
    for (int i = -10; i <= 110; ++i)
    {
      const Vector c = lookup.Evaluate(i / 100.0);
      ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z)) << trial << " " << i;
    }
  }
}

TEST(GradientEvaluation, LargeGradientsMatchAPlainScan)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<Float> unit(0.0, 1.0);
  GradientModel model;
  std::vector<std::pair<Float, Vector>> sorted;
  for (int k = 0; k < 40; ++k)
  {
    const Float pos = unit(rng);
    const Vector color(unit(rng), unit(rng), unit(rng));
    model.InsertKnot(Knot(color, pos, kGradientLinear));
    sorted.emplace_back(pos, color);
  }
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const GradientLookup lookup(model);
  ASSERT_EQ(lookup.GetKnotCount(), 40);
  for (size_t k = 0; k + 1 < sorted.size(); ++k)
  {
    const auto& [p0, c0] = sorted[k];
    const auto& [p1, c1] = sorted[k + 1];
    for (Float t : {0.0, 0.3, 0.9})
      ExpectNear(lookup.Evaluate(p0 + (p1 - p0) * t), c0 + (c1 - c0) * t, 1e-9);
  }
}

TEST(GradientLookupMemory, InlineCapacityBuildsWithoutTouchingTheHeap)
{
  for (int knots : {2, GradientLookup::kInlineKnots})
  {
    GradientModel model;
    for (int k = 0; k < knots; ++k)
      model.InsertKnot(Knot(Vector(k), k / Float(knots - 1), kGradientCubicKnot));
    model.SetSetting(kGradientSettingInterpolation, kGradientOverridePerKnot);

    const long before = test::AllocationCount();
    const GradientLookup lookup(model);
    const Vector mid = lookup.Evaluate(0.37);
    const long after = test::AllocationCount();
    EXPECT_EQ(after, before) << knots << " knots";
    EXPECT_GT(mid.x, 0.0);
  }

  GradientModel large;
  for (int k = 0; k <= GradientLookup::kInlineKnots; ++k)
    large.InsertKnot(Knot(Vector(k), k / Float(GradientLookup::kInlineKnots), kGradientLinear));
  const long before = test::AllocationCount();
  const GradientLookup lookup(large);
  EXPECT_GT(test::AllocationCount(), before);
  ExpectNear(lookup.Evaluate(0.5), Vector(8.0));
}

TEST(GradientLookupMemory, CopiesEvaluateLikeTheOriginal)
{
  GradientModel small = TwoKnots(kGradientBlend);
  GradientModel large;
  for (int k = 0; k < 30; ++k)
    large.InsertKnot(Knot(Vector(k % 3), k / 29.0, kGradientSmoothKnot));
  for (const GradientModel* model : {&small, &large})
  {
    const GradientLookup original(*model);
    GradientLookup copy = original;
    GradientLookup moved = GradientLookup(*model);
    for (int i = 0; i <= 50; ++i)
    {
      EXPECT_EQ(copy.Evaluate(i / 50.0), original.Evaluate(i / 50.0));
      EXPECT_EQ(moved.Evaluate(i / 50.0), original.Evaluate(i / 50.0));
    }
  }
}

} // namespace
} // namespace qhost
