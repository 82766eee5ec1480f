// The attribute-manager view: grouping, values, defaults, limits and the text
// table, on the real generator and on hand-made views.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "description_support.h"
#include "host/description/attribute_view.h"
#include "host/description/value_text.h"

namespace qhost {
namespace {

using test::LayerDescId;
using test::MenuGenerator;

std::vector<String> GroupLabels(const AttributeView& view)
{
  std::vector<String> labels;
  for (const AttributeGroup& g : view.groups)
    labels.push_back(g.label);
  return labels;
}

TEST(GeneratorView, StaticGroupsComeFirstThenOneGroupPerLayer)
{
  MenuGenerator gen;
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  const AttributeView view = DescribeNode(gen.Node());
  EXPECT_EQ(GroupLabels(view),
            (std::vector<String>{"Rock", "Layers", "Noise Layers", "Info", "Noise Layer", "Noise Layer"}));
  const AttributeGroup* second = view.FindGroup(LayerDescId(1, OXROCK_LAYER_GROUP));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->parent, DescID(OXROCK_LAYERS_GROUP));
  EXPECT_EQ(second->columns, 2);
  // Sixteen elements less the group itself and the hidden initialised flag.
  ASSERT_EQ(second->elements.size(), 14u);
  EXPECT_EQ(second->elements.front().label, "Use Layer");
  EXPECT_EQ(second->elements.back().dtype, DTYPE_STATICTEXT);
  EXPECT_EQ(view.FindElement(LayerDescId(1, OXROCK_LAYER_INITIALIZED)), nullptr);
}

TEST(GeneratorView, ElementsCarryValuesDefaultsLimitsAndChoices)
{
  MenuGenerator gen;
  gen.Object()->SetParameter(DescID(OXROCK_SUBDIVISION_MODE), GeData(Int32(2)), DESCFLAGS_SET::NONE);
  const AttributeView view = DescribeNode(gen.Node());

  const AttributeElement* subdivisions = view.FindElement(DescID(OXROCK_SUBDIVISIONS));
  ASSERT_NE(subdivisions, nullptr);
  EXPECT_EQ(subdivisions->typeName, "long");
  EXPECT_EQ(subdivisions->value.GetInt32(), 4);
  EXPECT_EQ(subdivisions->min.GetFloat(), 0.0);
  EXPECT_EQ(subdivisions->max.GetFloat(), 10.0);

  EXPECT_EQ(view.FindElement(DescID(OXROCK_SUBDIVISION_MODE))->choice, "Smooth, Sharp UV Borders");
  EXPECT_EQ(view.FindElement(LayerDescId(0, OXROCK_LAYER_NOISE_TYPE))->choice, "Electric");

  const AttributeElement* strength = view.FindElement(LayerDescId(0, OXROCK_LAYER_STRENGTH));
  ASSERT_NE(strength, nullptr);
  EXPECT_EQ(strength->unit, DESC_UNIT_PERCENT);
  EXPECT_EQ(strength->min.GetFloat(), 0.0);
  EXPECT_EQ(strength->max.GetType(), DA_NIL) << "only the slider limits it above";
  EXPECT_EQ(strength->maxSlider.GetFloat(), 2.5);

  // Selection has no initial value: the view shows the fallback, an empty link.
  const AttributeElement* selection = view.FindElement(LayerDescId(0, OXROCK_LAYER_SELECTION));
  ASSERT_NE(selection, nullptr);
  EXPECT_FALSE(selection->valueStored);
  EXPECT_EQ(selection->value.GetType(), DA_ALIASLINK);
  EXPECT_EQ(selection->value.GetBaseLink().uid, 0);

  const AttributeElement* help = view.FindElement(DescID(OXROCK_HELP));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->value.GetType(), DA_NIL) << "buttons hold no value";
}

TEST(GeneratorView, TableShowsPercentChoicesAndDisabledControls)
{
  MenuGenerator gen;
  const String text = FormatAttributeView(DescribeNode(gen.Node()));
  EXPECT_NE(text.find("[Noise Layer] group 10021 in 10000, 2 columns"), String::npos) << text;
  EXPECT_NE(text.find("Electric (32)"), String::npos) << text;
  EXPECT_NE(text.find("(100%, 100%, 100%)"), String::npos) << text;
  EXPECT_NE(text.find("0% .. 250%"), String::npos) << text;
  // Remove Layer and Absolute Values are disabled.
  size_t disabled = 0;
  for (size_t at = text.find("disabled"); at != String::npos; at = text.find("disabled", at + 1))
    ++disabled;
  EXPECT_EQ(disabled, 2u) << text;
}

TEST(ViewGrouping, TopLevelElementsGoFirstAndHiddenGroupsHideTheirContent)
{
  test::BareNode node(990101);
  node.data.SetFloat(11, 0.5);
  DescriptionImpl d;
  const auto add = [&](Int32 id, Int32 dtype, const char* name, Int32 parent, Bool hide = false) {
    BaseContainer s(dtype);
    s.SetString(DESC_NAME, name);
    if (hide)
      s.SetBool(DESC_HIDE, true);
    ASSERT_TRUE(d.SetParameter(DescID(id), s, parent ? DescID(parent) : DescID()));
  };
  add(1, DTYPE_GROUP, "Shown", 0);
  add(11, DTYPE_REAL, "Inside", 1);
  add(2, DTYPE_GROUP, "Secret", 0, true);
  add(21, DTYPE_REAL, "Under secret", 2);
  add(30, DTYPE_BOOL, "Loose", 0);
  add(31, DTYPE_LONG, "Orphan", 77);
  add(12, DTYPE_LONG, "Hidden", 1, true);

  const AttributeView view = MakeAttributeView(node, d);
  ASSERT_EQ(GroupLabels(view), (std::vector<String>{kDefaultGroupLabel, "Shown"}));
  ASSERT_EQ(view.groups[0].elements.size(), 2u);
  EXPECT_EQ(view.groups[0].elements[0].label, "Loose");
  EXPECT_EQ(view.groups[0].elements[1].label, "Orphan");
  ASSERT_EQ(view.groups[1].elements.size(), 1u);
  EXPECT_EQ(view.groups[1].elements[0].value.GetFloat(), 0.5);
  EXPECT_TRUE(view.groups[1].elements[0].enabled) << "a node without plug-in enables everything";
  EXPECT_EQ(view.FindElement(DescID(21)), nullptr);
  EXPECT_EQ(view.FindElement(DescID(12)), nullptr);
}

AttributeElement RealElement(Int32 id, const char* label, Float value, Int32 unit)
{
  AttributeElement e;
  e.id = DescID(id);
  e.label = label;
  e.dtype = DTYPE_REAL;
  e.typeName = "real";
  e.unit = unit;
  e.value = GeData(value);
  e.valueStored = true;
  return e;
}

TEST(ViewText, UnitsAreShownAsTheAttributeManagerShowsThem)
{
  AttributeView view;
  view.title = "Test";
  AttributeGroup group{DescID(1), DescID(), "Angles", 1, {}};
  group.elements.push_back(RealElement(2, "Angle", 1.3962634015954636, DESC_UNIT_DEGREE));
  group.elements.push_back(RealElement(3, "Mix", 0.125, DESC_UNIT_PERCENT));
  group.elements.back().enabled = false;
  AttributeElement missing = RealElement(4, "Depth", 0.0, DESC_UNIT_METER);
  missing.valueStored = false;
  missing.defaultValue = GeData(250.0); // host units: centimetres
  group.elements.push_back(missing);
  view.groups.push_back(group);

  const String text = FormatAttributeView(view);
  EXPECT_NE(text.find("80\u00b0"), String::npos) << text;
  EXPECT_NE(text.find("12.5%"), String::npos) << text;
  EXPECT_NE(text.find("0 m (not set)"), String::npos) << text;
  EXPECT_NE(text.find("2.5 m"), String::npos) << text;
  EXPECT_NE(text.find("disabled"), String::npos) << text;
  const String inCentimetres = FormatAttributeView(view, {kCentimetre, false});
  EXPECT_NE(inCentimetres.find("250 cm"), String::npos) << inCentimetres;
  EXPECT_EQ(inCentimetres.find(" m "), String::npos) << inCentimetres;
  EXPECT_EQ(text.find("[Angles] group 1, 1 column\n"), String("Test\n\n").size()) << text;
}

TEST(ViewText, IdentifiersUnitsLimitsAndChoicesAreShown)
{
  MenuGenerator gen;
  const String text = FormatAttributeView(DescribeNode(gen.Node()), {kMetre, true});
  const auto line = [&](const char* needle) {
    const size_t at = text.find(needle);
    EXPECT_NE(at, String::npos) << needle << "\n" << text;
    return at == String::npos ? String() : text.substr(at, text.find('\n', at) - at);
  };
  EXPECT_NE(line("OXROCK_SUBDIVISIONS").find("0 .. 10"), String::npos) << text;
  EXPECT_NE(line("OXROCK_SMOOTHING").find("0 .. 20"), String::npos) << text;
  // Flatten: a percentage limited to 0% .. 100%.
  const size_t flatten = text.find("Flatten");
  ASSERT_NE(flatten, String::npos);
  EXPECT_NE(text.substr(flatten, text.find('\n', flatten) - flatten).find("  %  "), String::npos) << text;
  EXPECT_NE(text.substr(flatten, text.find('\n', flatten) - flatten).find("0% .. 100%"), String::npos) << text;
  EXPECT_NE(line("Choices of 2002 OXROCK_SUBDIVISION_MODE (Subdivision Mode):"), String()) << text;
  EXPECT_NE(text.find("  2  Smooth, Sharp UV Borders\n"), String::npos) << text;
  EXPECT_EQ(FormatAttributeView(DescribeNode(gen.Node())).find("Choices of"), String::npos)
      << "choice lists only on request";
}

TEST(ViewText, ColumnsLineUpAcrossGroups)
{
  AttributeView view;
  AttributeGroup a{DescID(1), DescID(), "A", 1, {RealElement(10, "Short", 1.0, 0)}};
  AttributeGroup b{DescID(2), DescID(), "B", 1, {RealElement(11, "A much longer label", 2.0, 0)}};
  view.groups = {a, b};
  const String text = FormatAttributeView(view);
  const size_t first = text.find("1\n", text.find("Short"));
  const size_t second = text.find("2\n", text.find("A much longer label"));
  ASSERT_NE(first, String::npos);
  ASSERT_NE(second, String::npos);
  EXPECT_EQ(first - text.rfind('\n', first - 1), second - text.rfind('\n', second - 1)) << text;
}

TEST(ViewText, NumbersAreShortAndStable)
{
  EXPECT_EQ(FormatNumber(100.0), "100");
  EXPECT_EQ(FormatNumber(0.25), "0.25");
  EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.3333");
  EXPECT_EQ(FormatNumber(-0.00001), "0");
  EXPECT_EQ(FormatNumber(-2.5), "-2.5");
  EXPECT_EQ(FormatNumber(std::nan("")), "nan");
  EXPECT_EQ(FormatValue(GeData(Int32(1)), DTYPE_BOOL, 0), "on");
  EXPECT_EQ(FormatValue(GeData(Int32(0)), DTYPE_BOOL, 0), "off");
  EXPECT_EQ(FormatValue(GeData(Int32(7)), DTYPE_LONG, DESC_UNIT_PERCENT), "7");
  EXPECT_EQ(FormatValue(GeData(String("x")), DTYPE_STRING, 0), "\"x\"");
  EXPECT_EQ(FormatValue(GeData(), DTYPE_REAL, 0), "");
  EXPECT_EQ(FormatValue(GeData(15.0), DTYPE_REAL, DESC_UNIT_METER), "0.15 m");
  EXPECT_EQ(FormatValue(GeData(15.0), DTYPE_REAL, DESC_UNIT_METER, kMillimetre), "150 mm");
  EXPECT_EQ(FormatRange(GeData(0.0), GeData(), DTYPE_REAL, DESC_UNIT_PERCENT), ">= 0%");
  EXPECT_EQ(FormatRange(GeData(), GeData(), DTYPE_REAL, 0), "");
  EXPECT_EQ(UnitSymbol(DESC_UNIT_METER, kCentimetre), "cm");
  BaseContainer limits;
  limits.SetFloat(DESC_MIN, Float(std::numeric_limits<Int32>::min()));
  limits.SetFloat(DESC_MAX, 20.0);
  EXPECT_EQ(ElementLimit(limits, DESC_MIN).GetType(), DA_NIL) << "the widest value means no limit";
  EXPECT_EQ(ElementLimit(limits, DESC_MAX).GetFloat(), 20.0);
  EXPECT_EQ(ElementLimit(limits, DESC_MINSLIDER).GetType(), DA_NIL);
}

} // namespace
} // namespace qhost
