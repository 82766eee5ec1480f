#include "host/app/parameter_assignment.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numbers>

#include "host/app/app_context.h"

namespace qhost::app {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

DescElement Element(Int32 id, Int32 type, const std::string& ident, const std::string& label, Int32 unit = 0)
{
  DescElement element;
  element.id = DescID(id);
  element.settings = BaseContainer(type);
  element.settings.SetString(kDescIdent, ident);
  element.settings.SetString(DESC_NAME, label);
  if (unit)
    element.settings.SetInt32(DESC_UNIT, unit);
  return element;
}

GeData Parse(const DescElement& element, const std::string& value, const LengthUnit& unit = kMetre)
{
  AssignmentContext context;
  context.lengthUnit = unit;
  return ParseValue(element, ParseAssignment(element.settings.GetString(DESC_NAME) + "=" + value), context);
}

TEST(Assignment, NameAndValueSplitAtTheFirstEqualsSign)
{
  const Assignment assignment = ParseAssignment("layer1.Selection=top=1");
  EXPECT_EQ(assignment.name, "layer1.Selection");
  EXPECT_EQ(assignment.value, "top=1");
  for (const std::string bad : {"OXROCK_SEED", "=5", ""})
    EXPECT_THAT([&] { ParseAssignment(bad); }, ThrowsMessage<UsageError>(HasSubstr("expected NAME_OR_ID=VALUE")))
      << bad;
}

TEST(Assignment, ParametersAreFoundByIdIdentifierOrLabelWithoutCaseSpacesOrUnderscores)
{
  const std::vector<DescElement> elements = {Element(2000, DTYPE_LONG, "OXROCK_SEED", "Seed"),
                                             Element(2001, DTYPE_REAL, "OXROCK_NOISE_SCALE", "Noise Scale")};
  EXPECT_EQ(FindElement(elements, "2001"), &elements[1]);
  EXPECT_EQ(FindElement(elements, "oxrock_seed"), &elements[0]);
  EXPECT_EQ(FindElement(elements, "noise scale"), &elements[1]);
  EXPECT_EQ(FindElement(elements, "NOISE-SCALE"), &elements[1]);
  EXPECT_EQ(FindElement(elements, "2002"), nullptr);
  EXPECT_EQ(FindElement(elements, "Scale"), nullptr);
  EXPECT_THAT([&] { RequireElement(elements, ParseAssignment("Sed=1")); },
              ThrowsMessage<UsageError>(HasSubstr("--set Sed=1: no parameter \"Sed\"")));
}

TEST(Assignment, NumbersAreReadInTheUnitTheAttributeManagerShows)
{
  const DescElement percent = Element(1, DTYPE_REAL, "P", "Strength", DESC_UNIT_PERCENT);
  EXPECT_DOUBLE_EQ(Parse(percent, "50").GetFloat(), 0.5);
  EXPECT_DOUBLE_EQ(Parse(percent, "50%").GetFloat(), 0.5);
  const DescElement angle = Element(2, DTYPE_REAL, "A", "Angle", DESC_UNIT_DEGREE);
  for (const std::string text : {"90", "90deg", "90\u00b0"})
    EXPECT_DOUBLE_EQ(Parse(angle, text).GetFloat(), std::numbers::pi / 2) << text;
  // Host units are centimetres; a plain number is in the file unit.
  const DescElement length = Element(3, DTYPE_REAL, "L", "Size", DESC_UNIT_METER);
  EXPECT_DOUBLE_EQ(Parse(length, "2").GetFloat(), 200.0);
  EXPECT_DOUBLE_EQ(Parse(length, "2", kMillimetre).GetFloat(), 0.2);
  EXPECT_DOUBLE_EQ(Parse(length, "15cm").GetFloat(), 15.0);
  EXPECT_DOUBLE_EQ(Parse(length, "40mm").GetFloat(), 4.0);
  EXPECT_DOUBLE_EQ(Parse(length, "-1.5m").GetFloat(), -150.0);
}

TEST(Assignment, TextThatIsNoFiniteNumberIsRefusedWithWhatIsExpected)
{
  const DescElement length = Element(3, DTYPE_REAL, "L", "Size", DESC_UNIT_METER);
  for (const std::string text : {"nan", "inf", "-inf", "1e308m", "", "m", "5 m", "2km", "0x10", "1,5"})
    EXPECT_THAT([&] { Parse(length, text); },
                ThrowsMessage<UsageError>(HasSubstr("--set Size=" + text + ": expected a length such as 2")))
      << text;
  const DescElement percent = Element(1, DTYPE_REAL, "P", "Strength", DESC_UNIT_PERCENT);
  EXPECT_THAT([&] { Parse(percent, "50%%"); }, ThrowsMessage<UsageError>(HasSubstr("a percentage")));
}

TEST(Assignment, MenusTakeOneOfTheirEntriesByLabelOrNumber)
{
  DescElement noise = Element(4, DTYPE_LONG, "N", "Noise Type");
  BaseContainer cycle;
  cycle.SetString(3, "Box Noise");
  cycle.SetString(33, "fBm");
  noise.settings.SetContainer(DESC_CYCLE, cycle);
  EXPECT_EQ(Parse(noise, "FBM").GetInt32(), 33);
  EXPECT_EQ(Parse(noise, "box_noise").GetInt32(), 3);
  EXPECT_EQ(Parse(noise, "3").GetInt32(), 3);
  // A number that names no entry would leave the menu on nothing it shows.
  for (const char* refused : {"Perlin", "", "4", "-1", "3.0"})
    EXPECT_THAT([&] { Parse(noise, refused); },
                ThrowsMessage<UsageError>(HasSubstr("expected one of: Box Noise (3), fBm (33)")))
        << refused;

  const DescElement count = Element(5, DTYPE_LONG, "C", "Count");
  EXPECT_EQ(Parse(count, "-7").GetInt32(), -7);
  EXPECT_THAT([&] { Parse(count, "seven"); }, ThrowsMessage<UsageError>(HasSubstr("expected a whole number")));
}

TEST(Assignment, SwitchesAndVectors)
{
  const DescElement flag = Element(5, DTYPE_BOOL, "F", "Enabled");
  for (const std::string text : {"true", "On", "yes", "1"})
    EXPECT_TRUE(Parse(flag, text).GetBool()) << text;
  for (const std::string text : {"false", "OFF", "no", "0"})
    EXPECT_FALSE(Parse(flag, text).GetBool()) << text;
  EXPECT_THROW(Parse(flag, "maybe"), UsageError);

  const DescElement offset = Element(6, DTYPE_VECTOR, "O", "Offset", DESC_UNIT_METER);
  EXPECT_EQ(Parse(offset, "1,2cm,5mm").GetVector(), Vector(100.0, 2.0, 0.5));
  EXPECT_EQ(Parse(offset, "1").GetVector(), Vector(100.0));
  for (const std::string text : {"1,2", "1,2,3,4", "1,,3"})
    EXPECT_THAT([&] { Parse(offset, text); }, ThrowsMessage<UsageError>(HasSubstr("three of them as x,y,z")))
      << text;
}

TEST(Assignment, ValuesAreHeldWithinTheLimitsOfEachComponent)
{
  DescElement count = Element(7, DTYPE_LONG, "C", "Count");
  count.settings.SetInt32(DESC_MIN, 1);
  count.settings.SetInt32(DESC_MAX, 8);
  EXPECT_EQ(ClampToLimits(count, GeData(Int32(0))).GetInt32(), 1);
  EXPECT_EQ(ClampToLimits(count, GeData(Int32(9))).GetInt32(), 8);
  EXPECT_EQ(ClampToLimits(count, GeData(Int32(5))).GetInt32(), 5);

  DescElement scale = Element(8, DTYPE_VECTOR, "S", "Scale");
  scale.settings.SetVector(DESC_MIN, Vector(0.0, 1.0, 2.0));
  scale.settings.SetFloat(DESC_MAX, 10.0);
  EXPECT_EQ(ClampToLimits(scale, GeData(Vector(-1.0, -1.0, 20.0))).GetVector(), Vector(0.0, 1.0, 10.0));
}

} // namespace
} // namespace qhost::app
