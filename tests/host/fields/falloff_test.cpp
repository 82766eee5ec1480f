#include <gtest/gtest.h>

#include "host/fields/blend.h"
#include "host/fields/falloff.h"

namespace qhost {
namespace {

Falloff Sphere(Float inner, Float outer)
{
  Falloff f;
  f.shape = FalloffShape::Spherical;
  f.inner = inner;
  f.outer = outer;
  return f;
}

TEST(FalloffTest, SphereIsFullInsideNoneOutsideAndSmoothBetween)
{
  const Falloff f = Sphere(10.0, 30.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(0, 0, 0)), 1.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(10, 0, 0)), 1.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(0, -30, 0)), 0.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(0, 0, 20)), 0.5);
  Float previous = 1.0;
  for (Float d = 10.0; d <= 30.0; d += 0.5)
  {
    const Float v = EvaluateFalloff(f, Vector(d, 0, 0));
    EXPECT_LE(v, previous);
    previous = v;
  }
}

TEST(FalloffTest, StrengthScalesAndInvertSwapsBeforeScaling)
{
  Falloff f = Sphere(0.0, 10.0);
  f.strength = 0.5;
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector()), 0.5);
  f.invert = true;
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector()), 0.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(20, 0, 0)), 0.5);
}

TEST(FalloffTest, ObjectMatrixMovesTheField)
{
  Falloff f = Sphere(0.0, 10.0);
  Matrix m;
  m.off = Vector(100, 0, 0);
  f.worldToLocal = ~m;
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector(100, 0, 0)), 1.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(f, Vector()), 0.0);
}

TEST(FalloffTest, LinearRampsAlongZAndBoxUsesTheLargestAxis)
{
  Falloff linear = Sphere(0.0, 10.0);
  linear.shape = FalloffShape::Linear;
  EXPECT_DOUBLE_EQ(EvaluateFalloff(linear, Vector(1000, 1000, -5)), 1.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(linear, Vector(0, 0, 10)), 0.0);
  EXPECT_DOUBLE_EQ(EvaluateFalloff(linear, Vector(0, 0, 5)), 0.5);

  Falloff box = Sphere(5.0, 10.0);
  box.shape = FalloffShape::Box;
  EXPECT_DOUBLE_EQ(EvaluateFalloff(box, Vector(4.9, 4.9, 4.9)), 1.0); // a sphere would have faded here
  EXPECT_DOUBLE_EQ(EvaluateFalloff(box, Vector(0, 10, 0)), 0.0);
}

TEST(BlendTest, ModesCombineAndOpacityMixes)
{
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Normal, 0.2, 0.7, 1.0), 0.7);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Normal, 0.2, 0.6, 0.5), 0.4);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Add, 0.7, 0.7, 1.0), 1.0); // clamped
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Subtract, 0.2, 0.7, 1.0), 0.0);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Multiply, 0.5, 0.5, 1.0), 0.25);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Min, 0.3, 0.6, 1.0), 0.3);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Max, 0.3, 0.6, 1.0), 0.6);
  EXPECT_DOUBLE_EQ(Blend(BlendMode::Max, 0.3, 0.6, 0.0), 0.3);
}

} // namespace
} // namespace qhost
