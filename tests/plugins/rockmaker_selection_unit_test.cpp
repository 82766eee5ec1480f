// The generator's layer-selection step, compiled into the test from the
// module's source, with a selection converter that fails on demand: a layer
// whose conversion fails must act on all points, never on what the converter
// still holds from the layer before.
#include <gtest/gtest.h>

#include "host/core/console.h"
#include "noise_layer_settings.h"
#include "plugin_test_support.h"
#include "rockmaker_layers.h"

namespace qtest {
namespace {

// Converts the first selection it is given to points 0 ... 3, refuses every later one
// and keeps handing out the points of the first.
class FailingAfterFirstChanger final : public SelectionChanger
{
public:
  FailingAfterFirstChanger() : points_(BaseSelect::Alloc())
  {
    for (Int32 i = 0; i < 4; ++i)
      points_->Select(i);
  }
  ~FailingAfterFirstChanger() override { BaseSelect::Free(points_); }

  Bool InitFromSelection(const BaseSelect*, Int32, const PolygonObject*) override { return calls_++ == 0; }
  BaseSelect* GetPointS() const override { return points_; }

private:
  BaseSelect* points_;
  int calls_ = 0;
};

SelectionTag* AddSelection(PolygonObject* mesh, const char* name, Int32 polygon)
{
  auto* tag = static_cast<SelectionTag*>(mesh->MakeTag(Tpolygonselection));
  tag->SetName(name);
  tag->GetBaseSelect()->Select(polygon);
  return tag;
}

TEST(RockMakerSelectionUnitTest, AFailedConversionNeverTakesTheEarlierLayersPoints)
{
  PolygonObject* mesh = MakePolygonObject(
      {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}}, {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 5, 2)});
  std::vector<NoiseLayerSettings> layers(2);
  layers[0].selectionTag = AddSelection(mesh, "first", 0);
  layers[1].selectionTag = AddSelection(mesh, "second", 1);
  qhost::Console::Instance().Clear();

  FailingAfterFirstChanger changer;
  ResolveLayerSelections(layers, mesh, &changer);

  ASSERT_NE(layers[0].selection, nullptr);
  EXPECT_EQ(layers[0].selection->GetCount(), 4);
  EXPECT_EQ(layers[1].selection, nullptr) << "the second layer acts on all points";
  const std::vector<std::string> lines = qhost::Console::Instance().Texts();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Selection changer not inited correctly.");

  ReleaseLayerSelections(layers);
  BaseObject* op = mesh;
  BaseObject::Free(op);
}

TEST(RockMakerSelectionUnitTest, ALayerWithoutALinkReleasesItsEmptySetAndActsOnAllPoints)
{
  PolygonObject* mesh = MakePolygonObject({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {CPolygon(0, 1, 2)});
  std::vector<NoiseLayerSettings> layers(1);
  layers[0].selection = BaseSelect::Alloc(); // what a refresh leaves
  FailingAfterFirstChanger changer;
  ResolveLayerSelections(layers, mesh, &changer);
  EXPECT_EQ(layers[0].selection, nullptr);
  BaseObject* op = mesh;
  BaseObject::Free(op);
}

} // namespace
} // namespace qtest
