// The generator's noise layers as the host sees them: the elements of each
// layer, their initial values and which controls are enabled.
#include <gtest/gtest.h>

#include "description_support.h"
#include "host/description/attribute_view.h"

namespace qhost {
namespace {

using test::LayerDescId;
using test::MenuGenerator;

constexpr Int32 kElectric = 32;
constexpr Int32 kBoxNoise = 1;

DescriptionImpl Described(NodeCore& node)
{
  DescriptionImpl d;
  EXPECT_TRUE(BuildDescription(node, d));
  return d;
}

Bool Enabled(NodeCore& node, const DescID& id)
{
  const AttributeView view = DescribeNode(node);
  const AttributeElement* element = view.FindElement(id);
  EXPECT_NE(element, nullptr) << "element " << id[0].id << " not shown";
  return element && element->enabled;
}

Int32 LayerGroupCount(const DescriptionImpl& d)
{
  Int32 groups = 0;
  for (const DescElement& e : d.Elements())
    if (e.Type() == DTYPE_GROUP && e.parent == DescID(OXROCK_LAYERS_GROUP))
      ++groups;
  return groups;
}

TEST(LayerDescription, RemoveButtonIsEnabledFromTwoLayers)
{
  MenuGenerator gen;
  ASSERT_EQ(gen.LayerCount(), 1);
  EXPECT_FALSE(Enabled(gen.Node(), DescID(OXROCK_REMOVE_LAYER)));
  EXPECT_TRUE(Enabled(gen.Node(), DescID(OXROCK_ADD_LAYER)));
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  ASSERT_EQ(gen.LayerCount(), 2);
  EXPECT_TRUE(Enabled(gen.Node(), DescID(OXROCK_REMOVE_LAYER)));
  PressButton(gen.Node(), OXROCK_REMOVE_LAYER);
  EXPECT_EQ(gen.LayerCount(), 1);
  EXPECT_FALSE(Enabled(gen.Node(), DescID(OXROCK_REMOVE_LAYER)));
}

TEST(LayerDescription, NewLayerAddsSixteenElementsInOrderUnderItsGroup)
{
  MenuGenerator gen;
  const size_t oneLayer = Described(gen.Node()).Elements().size();
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  const DescriptionImpl d = Described(gen.Node());
  ASSERT_EQ(d.Elements().size(), oneLayer + 16);

  const Int32 group = LayerParameterId(1, OXROCK_LAYER_GROUP);
  const Int32 offsets[16] = {0, 2, 3, 15, 4, 16, 5, 13, 6, 14, 11, 12, 7, 8, 9, 10};
  const Int32 types[16] = {DTYPE_GROUP, DTYPE_BOOL, DTYPE_BOOL, DTYPE_STATICTEXT, DTYPE_LONG, DTYPE_LONG,
                           DTYPE_REAL,  DTYPE_REAL, DTYPE_VECTOR, DTYPE_STATICTEXT, DTYPE_REAL, DTYPE_REAL,
                           DTYPE_BOOL,  DTYPE_BOOL, DTYPE_BASELISTLINK, DTYPE_STATICTEXT};
  for (size_t i = 0; i < 16; ++i)
  {
    const DescElement& e = d.Elements()[oneLayer + i];
    SCOPED_TRACE("element " + std::to_string(i));
    EXPECT_EQ(e.id, DescID(group + offsets[i]));
    EXPECT_EQ(e.Type(), types[i]);
    EXPECT_EQ(e.parent, i == 0 ? DescID(OXROCK_LAYERS_GROUP) : DescID(group));
  }
  EXPECT_EQ(d.Elements()[oneLayer].settings.GetString(DESC_NAME), "Noise Layer");
  EXPECT_EQ(d.Elements()[oneLayer].settings.GetInt32(DESC_COLUMNS), 2);
  EXPECT_TRUE(d.Elements()[oneLayer + 1].settings.GetBool(DESC_HIDE));
}

TEST(LayerDescription, InitialValuesAreWrittenOnceAndNeverOverUserValues)
{
  MenuGenerator gen;
  BaseContainer& bc = gen.Data();
  EXPECT_EQ(bc.GetDataPointer(LayerParameterId(0, OXROCK_LAYER_STRENGTH)), nullptr);
  Described(gen.Node());
  EXPECT_TRUE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_INITIALIZED)));
  EXPECT_TRUE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_USE)));
  EXPECT_EQ(bc.GetInt32(LayerParameterId(0, OXROCK_LAYER_NOISE_TYPE)), kElectric);
  EXPECT_EQ(bc.GetInt32(LayerParameterId(0, OXROCK_LAYER_MODE), -1), OXROCK_LAYER_MODE_ADD);
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_STRENGTH)), 1.0);
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_OVERALL_SCALE)), 1.0);
  EXPECT_EQ(bc.GetVector(LayerParameterId(0, OXROCK_LAYER_NOISE_SCALE)), Vector(1.0));
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_FLATTEN), -1.0), 0.0);
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_ELEVATE), -1.0), 0.0);
  EXPECT_FALSE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_ABSOLUTE), true));
  EXPECT_TRUE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_USE_FIELDS)));
  EXPECT_EQ(bc.GetDataPointer(LayerParameterId(0, OXROCK_LAYER_SELECTION)), nullptr);

  // What the user typed survives every later build.
  gen.Object()->SetParameter(LayerDescId(0, OXROCK_LAYER_STRENGTH), GeData(0.3), DESCFLAGS_SET::USERINTERACTION);
  gen.Object()->SetParameter(LayerDescId(0, OXROCK_LAYER_NOISE_TYPE), GeData(Int32(7)), DESCFLAGS_SET::USERINTERACTION);
  Described(gen.Node());
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  Described(gen.Node());
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_STRENGTH)), 0.3);
  EXPECT_EQ(bc.GetInt32(LayerParameterId(0, OXROCK_LAYER_NOISE_TYPE)), 7);
  EXPECT_EQ(bc.GetFloat(LayerParameterId(1, OXROCK_LAYER_STRENGTH)), 1.0);
}

TEST(LayerDescription, AbsoluteValuesDependsOnTheNoiseType)
{
  MenuGenerator gen;
  const DescID absolute = LayerDescId(0, OXROCK_LAYER_ABSOLUTE);
  const AttributeView view = DescribeNode(gen.Node());
  const AttributeElement* element = view.FindElement(absolute);
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(element->label, "Absolute Values");
  EXPECT_FALSE(element->enabled) << "Electric has no use for absolute values";
  EXPECT_TRUE(element->defaultValue.GetBool());
  EXPECT_TRUE(element->valueStored);
  EXPECT_FALSE(element->value.GetBool());

  gen.Object()->SetParameter(LayerDescId(0, OXROCK_LAYER_NOISE_TYPE), GeData(kBoxNoise), DESCFLAGS_SET::NONE);
  EXPECT_TRUE(Enabled(gen.Node(), absolute));
  gen.Object()->SetParameter(LayerDescId(0, OXROCK_LAYER_NOISE_TYPE), GeData(Int32(500)), DESCFLAGS_SET::NONE);
  EXPECT_FALSE(Enabled(gen.Node(), absolute));
  // Other controls of the layer are left to the default: enabled.
  EXPECT_TRUE(Enabled(gen.Node(), LayerDescId(0, OXROCK_LAYER_STRENGTH)));
}

TEST(LayerDescription, RemovedThenAddedLayerStartsFromInitialValues)
{
  MenuGenerator gen;
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  Described(gen.Node());
  gen.Object()->SetParameter(LayerDescId(1, OXROCK_LAYER_STRENGTH), GeData(2.0), DESCFLAGS_SET::NONE);
  gen.Object()->SetParameter(LayerDescId(1, OXROCK_LAYER_NOISE_TYPE), GeData(kBoxNoise), DESCFLAGS_SET::NONE);
  gen.Object()->SetParameter(LayerDescId(1, OXROCK_LAYER_NOISE_SCALE), GeData(Vector(3, 4, 5)), DESCFLAGS_SET::NONE);

  PressButton(gen.Node(), OXROCK_REMOVE_LAYER);
  EXPECT_FALSE(gen.Data().GetBool(LayerParameterId(1, OXROCK_LAYER_INITIALIZED), true));
  EXPECT_EQ(LayerGroupCount(Described(gen.Node())), 1);
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  EXPECT_EQ(LayerGroupCount(Described(gen.Node())), 2);
  const AttributeView view = DescribeNode(gen.Node());
  EXPECT_EQ(view.FindElement(LayerDescId(1, OXROCK_LAYER_STRENGTH))->value.GetFloat(), 1.0);
  EXPECT_EQ(view.FindElement(LayerDescId(1, OXROCK_LAYER_NOISE_TYPE))->value.GetInt32(), kElectric);
  EXPECT_EQ(view.FindElement(LayerDescId(1, OXROCK_LAYER_NOISE_SCALE))->value.GetVector(), Vector(1.0));
}

TEST(LayerDescription, NoLayersStillReportsTheDescriptionLoaded)
{
  for (const Int32 count : {0, -3})
  {
    MenuGenerator gen;
    gen.Data().SetInt32(OXROCK_LAYER_COUNT, count);
    DescriptionImpl d;
    DESCFLAGS_DESC flags = DESCFLAGS_DESC::NONE;
    EXPECT_TRUE(gen.Node().PluginData()->GetDDescription(gen.Object(), &d, flags));
    EXPECT_TRUE(HasFlag(flags, DESCFLAGS_DESC::LOADED));
    EXPECT_EQ(LayerGroupCount(d), 0);
    EXPECT_NE(d.Find(DescID(OXROCK_LAYERS_GROUP)), nullptr) << "the static part is there";
    EXPECT_EQ(gen.Data().GetDataPointer(LayerParameterId(0, OXROCK_LAYER_STRENGTH)), nullptr);
  }
}

TEST(LayerDescription, SingleElementRequestWritesOnlyThatInitialValue)
{
  MenuGenerator gen;
  const DescID strength = LayerDescId(0, OXROCK_LAYER_STRENGTH);
  DescriptionImpl d;
  ASSERT_TRUE(BuildDescription(gen.Node(), d, &strength));
  EXPECT_NE(d.Find(strength), nullptr);
  EXPECT_EQ(d.Find(LayerDescId(0, OXROCK_LAYER_GROUP)), nullptr);
  EXPECT_EQ(d.Find(LayerDescId(0, OXROCK_LAYER_FLATTEN)), nullptr);

  const BaseContainer& bc = gen.Data();
  EXPECT_EQ(bc.GetFloat(LayerParameterId(0, OXROCK_LAYER_STRENGTH)), 1.0);
  EXPECT_EQ(bc.GetDataPointer(LayerParameterId(0, OXROCK_LAYER_NOISE_TYPE)), nullptr);
  EXPECT_EQ(bc.GetDataPointer(LayerParameterId(0, OXROCK_LAYER_USE)), nullptr);
  EXPECT_FALSE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_INITIALIZED)));

  // A later full build still initialises the layer.
  Described(gen.Node());
  EXPECT_TRUE(bc.GetBool(LayerParameterId(0, OXROCK_LAYER_INITIALIZED)));
  EXPECT_EQ(bc.GetInt32(LayerParameterId(0, OXROCK_LAYER_NOISE_TYPE)), kElectric);
}

} // namespace
} // namespace qhost
