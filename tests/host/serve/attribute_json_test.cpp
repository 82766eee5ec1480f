// Descriptions as the page reads them: values and limits in the unit shown,
// the kind of control, choices, enabling and the nesting of groups.
#include <gtest/gtest.h>

#include <numbers>

#include "host/serve/attribute_json.h"

namespace qhost {
namespace {

AttributeElement Element(Int32 id, Int32 dtype, Int32 unit, GeData value)
{
  AttributeElement e;
  e.id = DescID(id);
  e.dtype = dtype;
  e.unit = unit;
  e.label = "P" + std::to_string(id);
  e.value = value;
  return e;
}

AttributeView SampleView()
{
  AttributeElement strength = Element(10, DTYPE_REAL, DESC_UNIT_PERCENT, GeData(0.5));
  strength.min = GeData(0.0);
  strength.maxSlider = GeData(2.5);
  AttributeElement angle = Element(11, DTYPE_REAL, DESC_UNIT_DEGREE, GeData(std::numbers::pi / 2));
  AttributeElement offset = Element(12, DTYPE_VECTOR, DESC_UNIT_METER, GeData(Vector(100, 250, -50)));
  AttributeElement noise = Element(13, DTYPE_LONG, 0, GeData(Int32(8)));
  noise.choices = {{8, "fBm"}, {32, "Electric"}};
  AttributeElement use = Element(14, DTYPE_BOOL, 0, GeData(true));
  use.enabled = false;
  AttributeElement add = Element(15, DTYPE_BUTTON, 0, GeData());
  AttributeElement spacer = Element(16, DTYPE_STATICTEXT, 0, GeData());
  AttributeElement selection = Element(17, DTYPE_BASELISTLINK, 0, GeData(BaseLink{}));

  AttributeView view;
  view.title = "Node";
  AttributeGroup outer;
  outer.id = DescID(1000);
  outer.label = "Outer";
  outer.elements = {strength, angle, add, spacer, selection};
  AttributeGroup inner;
  inner.id = DescID(1001);
  inner.parent = DescID(1000);
  inner.label = "Inner";
  inner.columns = 2;
  inner.elements = {offset, noise, use};
  view.groups = {outer, inner};
  return view;
}

TEST(AttributeJson, NumbersAreInTheUnitShown)
{
  const nlohmann::json json = AttributeViewJson(SampleView(), kCentimetre);
  const nlohmann::json& strength = json["groups"][0]["elements"][0];
  EXPECT_DOUBLE_EQ(strength["value"].get<double>(), 50.0);
  EXPECT_DOUBLE_EQ(strength["min"].get<double>(), 0.0);
  EXPECT_TRUE(strength["max"].is_null());
  EXPECT_DOUBLE_EQ(strength["sliderMax"].get<double>(), 250.0);
  EXPECT_EQ(strength["unit"], "%");
  EXPECT_EQ(strength["text"], "50%");
  EXPECT_EQ(strength["control"], "number");
  EXPECT_DOUBLE_EQ(json["groups"][0]["elements"][1]["value"].get<double>(), 90.0);
  // Lengths are stored in centimetres and shown in the unit asked for.
  const nlohmann::json& offset = json["groups"][1]["elements"][0];
  EXPECT_EQ(offset["control"], "vector");
  EXPECT_EQ(offset["value"], nlohmann::json::array({100.0, 250.0, -50.0}));
  EXPECT_EQ(AttributeViewJson(SampleView(), kMetre)["groups"][1]["elements"][0]["value"],
            nlohmann::json::array({1.0, 2.5, -0.5}));
}

TEST(AttributeJson, ControlsChoicesEnablingAndGroups)
{
  const nlohmann::json json = AttributeViewJson(SampleView(), kMetre);
  EXPECT_EQ(json["title"], "Node");
  ASSERT_EQ(json["groups"].size(), 2u);
  EXPECT_EQ(json["groups"][0]["id"], 1000);
  EXPECT_TRUE(json["groups"][0]["parent"].is_null());
  EXPECT_EQ(json["groups"][1]["parent"], 1000);
  EXPECT_EQ(json["groups"][1]["columns"], 2);
  EXPECT_EQ(json["groups"][0]["elements"][2]["control"], "button");
  EXPECT_EQ(json["groups"][0]["elements"][3]["control"], "spacer");
  // What the page cannot edit is shown as text.
  EXPECT_EQ(json["groups"][0]["elements"][4]["control"], "readonly");
  EXPECT_EQ(json["groups"][0]["elements"][4]["text"], "none");
  const nlohmann::json& noise = json["groups"][1]["elements"][1];
  EXPECT_EQ(noise["control"], "choice");
  EXPECT_EQ(noise["value"], 8);
  EXPECT_EQ(noise["choices"][1]["label"], "Electric");
  EXPECT_EQ(noise["choices"][1]["value"], 32);
  const nlohmann::json& use = json["groups"][1]["elements"][2];
  EXPECT_EQ(use["control"], "switch");
  EXPECT_EQ(use["value"], true);
  EXPECT_EQ(use["enabled"], false);
  EXPECT_EQ(json["groups"][0]["elements"][0]["enabled"], true);
}

} // namespace
} // namespace qhost
