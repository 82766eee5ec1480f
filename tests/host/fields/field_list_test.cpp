// Sampling a field list at many points: the points are split over oneTBB's
// workers, and the values must not depend on the split.
#include <gtest/gtest.h>

#include "host/runtime/host.h"
#include "host/thread_count_support.h"
#include "hostapi/fields.h"

namespace {

constexpr Int32 kInner = 1001;
constexpr Int32 kOuter = 1002;

// Field values along a line through a spherical field, far more points than
// one task takes.
std::vector<Float> SampleLine()
{
  qhost::Host::Instance(); // registers the node types the API allocates
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* sphere = BaseObject::Alloc(Ofield_spherical);
  sphere->GetDataInstance()->SetFloat(kInner, 100.0);
  sphere->GetDataInstance()->SetFloat(kOuter, 900.0);
  doc->InsertObject(sphere, nullptr, nullptr);
  FieldList* list = FieldList::Alloc();
  list->AddLayer(sphere, nullptr);

  constexpr Int32 kPoints = 100000;
  std::vector<Vector> positions(kPoints);
  for (Int32 i = 0; i < kPoints; ++i)
    positions[size_t(i)] = Vector(0.01 * i, 0.003 * i, -0.002 * i);
  const FieldInput input(positions.data(), nullptr, nullptr, kPoints, kPoints);
  FieldOutput output;
  EXPECT_FALSE(output.Resize(kPoints, FIELDSAMPLE_FLAG_VALUE).HasError());
  Result<FieldInfo> info = FieldInfo::Create(nullptr, doc, FIELDSAMPLE_FLAG_VALUE, input);
  EXPECT_FALSE(info.HasError());
  EXPECT_FALSE(list->SampleList(info.GetValue(), input, output).HasError());
  std::vector<Float> values(output._value, output._value + kPoints);
  FieldList::Free(list);
  BaseDocument::Free(doc);
  return values;
}

TEST(FieldListTest, SamplingManyPointsDoesNotDependOnTheThreadCount)
{
  const std::vector<Float> one = qhost::test::WithThreads(1, SampleLine);
  EXPECT_EQ(one.front(), 1.0) << "the field's centre is inside its inner radius";
  EXPECT_EQ(one.back(), 0.0) << "the last point is beyond its outer radius";
  for (const int threads : qhost::test::kThreadCounts)
    EXPECT_TRUE(qhost::test::WithThreads(threads, SampleLine) == one) << threads << " threads";
}

} // namespace
