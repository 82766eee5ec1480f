// The generator's buttons pressed through the host: layer removal with its
// animation tracks, About and Help.
#include <gtest/gtest.h>

#include <algorithm>

#include "description_support.h"
#include "host/core/console.h"
#include "host/description/attribute_view.h"
#include "host/runtime/host.h"

namespace qhost {
namespace {

using test::LayerDescId;
using test::MenuGenerator;

CTrack* Animate(BaseObject* op, const DescID& id)
{
  CTrack* track = CTrack::Alloc(op, id);
  if (track)
    op->InsertTrackSorted(track);
  return track;
}

DescID Component(Int32 parameter, Int32 component)
{
  return DescID(DescLevel(parameter, DTYPE_VECTOR, 0), DescLevel(component, DTYPE_REAL, 0));
}

std::vector<String> TrackNames(const BaseObject* op)
{
  std::vector<String> names;
  for (CTrack* t = op->GetFirstCTrack(); t; t = t->GetNext())
    names.push_back(t->GetName());
  return names;
}

bool ConsoleHas(const String& text)
{
  const std::vector<String> lines = Console::Instance().Texts();
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

TEST(GeneratorButtons, RemovingLayerTakesItsAnimatedParametersAlong)
{
  MenuGenerator gen;
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  DescribeNode(gen.Node());
  BaseObject* op = gen.Object();
  const Int32 scale = LayerParameterId(1, OXROCK_LAYER_NOISE_SCALE);
  ASSERT_NE(Animate(op, LayerDescId(0, OXROCK_LAYER_STRENGTH)), nullptr);
  ASSERT_NE(Animate(op, LayerDescId(1, OXROCK_LAYER_STRENGTH)), nullptr);
  for (const Int32 component : {1000, 1001, 1002})
    ASSERT_NE(Animate(op, Component(scale, component)), nullptr);
  ASSERT_NE(Animate(op, LayerDescId(1, OXROCK_LAYER_FLATTEN)), nullptr);
  ASSERT_EQ(TrackNames(op), (std::vector<String>{"Strength", "Strength", "Noise Scale . X", "Noise Scale . Y",
                                                 "Noise Scale . Z", "Flatten"}));

  Console::Instance().Clear();
  PressButton(gen.Node(), OXROCK_REMOVE_LAYER);
  EXPECT_EQ(gen.LayerCount(), 1);
  // Layer 0's Strength and the removed layer's Flatten stay.
  EXPECT_EQ(TrackNames(op), (std::vector<String>{"Strength", "Flatten"}));
  EXPECT_EQ(op->FindCTrack(LayerDescId(1, OXROCK_LAYER_STRENGTH)), nullptr);
  EXPECT_EQ(op->FindCTrack(DescID(scale)), nullptr);
  EXPECT_NE(op->FindCTrack(LayerDescId(0, OXROCK_LAYER_STRENGTH)), nullptr);
  // Every track present before the removal is traced, one line each.
  for (const char* line : {"Strength (0 keys)", "Noise Scale . X (0 keys)", "Noise Scale . Y (0 keys)",
                           "Noise Scale . Z (0 keys)", "Flatten (0 keys)"})
    EXPECT_TRUE(ConsoleHas(line)) << line;
  EXPECT_EQ(Console::Instance().Texts().size(), 6u);
}

TEST(GeneratorButtons, RemoveWithOneLayerChangesNothing)
{
  MenuGenerator gen;
  DescribeNode(gen.Node());
  ASSERT_NE(Animate(gen.Object(), LayerDescId(0, OXROCK_LAYER_STRENGTH)), nullptr);
  const BaseContainer before = gen.Data();
  PressButton(gen.Node(), OXROCK_REMOVE_LAYER);
  EXPECT_EQ(gen.Data(), before);
  EXPECT_EQ(TrackNames(gen.Object()), std::vector<String>{"Strength"});
}

TEST(GeneratorButtons, AboutShowsThreeLineDialog)
{
  MenuGenerator gen;
  CoreServicesImpl& core = Host::Instance().CoreServicesObject();
  const size_t dialogs = core.Dialogs().size();
  PressButton(gen.Node(), OXROCK_ABOUT);
  ASSERT_EQ(core.Dialogs().size(), dialogs + 1);
  const String& text = core.Dialogs().back();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_NE(text.front(), '\n');
  EXPECT_NE(text.back(), '\n');
  EXPECT_EQ(text.find("\n\n"), String::npos) << "no empty line";
}

TEST(GeneratorButtons, HelpOpensTheDocumentBesideTheModule)
{
  MenuGenerator gen;
  CoreServicesImpl& core = Host::Instance().CoreServicesObject();
  const size_t executed = core.ExecutedFiles().size();
  PressButton(gen.Node(), OXROCK_HELP);
  ASSERT_EQ(core.ExecutedFiles().size(), executed + 1);
  EXPECT_EQ(core.ExecutedFiles().back(), String(test::kModuleFolder) + "/QuorvaneMaker.pdf");
}

TEST(GeneratorButtons, OtherButtonIdsChangeNothing)
{
  MenuGenerator gen;
  DescribeNode(gen.Node());
  const BaseContainer before = gen.Data();
  CoreServicesImpl& core = Host::Instance().CoreServicesObject();
  const size_t dialogs = core.Dialogs().size();
  for (const Int32 id : {0, 2000, 3000, 3004, LayerParameterId(0, OXROCK_LAYER_GROUP)})
    PressButton(gen.Node(), id);
  EXPECT_EQ(gen.Data(), before);
  EXPECT_EQ(core.Dialogs().size(), dialogs);
}

} // namespace
} // namespace qhost
