#include "host/app/parameter_assignment.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iostream>
#include <numbers>
#include <optional>

#include "host/app/app_context.h"
#include "host/app/gradient_argument.h"
#include "host/description/value_text.h"

namespace qhost::app {
namespace {

std::string Normalized(const std::string& text)
{
  std::string out;
  for (const char c : text)
    if (c != ' ' && c != '_' && c != '-')
      out += char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

[[noreturn]] void Fail(const Assignment& assignment, const std::string& expected)
{
  throw UsageError("--set " + assignment.text + ": expected " + expected);
}

bool ParseNumber(std::string_view text, Float& out)
{
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  return result.ec == std::errc() && result.ptr == end && !text.empty() && std::isfinite(out);
}

bool ParseInt(const std::string& text, Int32& out)
{
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool StripSuffix(std::string_view& text, std::string_view suffix)
{
  if (text.size() <= suffix.size() || text.substr(text.size() - suffix.size()) != suffix)
    return false;
  text.remove_suffix(suffix.size());
  return true;
}

// One number as stored, read in the unit the attribute manager shows: a
// percentage (with or without "%"), degrees, or a length in the context's
// unit unless a suffix names another. Unitless numbers take "%" as /100.
bool ParseMeasure(std::string_view text, Int32 unit, const LengthUnit& lengthUnit, Float& out)
{
  switch (unit)
  {
    case DESC_UNIT_PERCENT:
      StripSuffix(text, "%");
      if (!ParseNumber(text, out))
        return false;
      out /= 100.0;
      return true;
    case DESC_UNIT_DEGREE:
      if (!StripSuffix(text, "\u00b0"))
        StripSuffix(text, "deg");
      if (!ParseNumber(text, out))
        return false;
      out *= std::numbers::pi / 180.0;
      return true;
    case DESC_UNIT_METER:
    {
      LengthUnit typed = lengthUnit;
      for (const LengthUnit& candidate : {kMillimetre, kCentimetre, kMetre})
        if (StripSuffix(text, candidate.symbol))
        {
          typed = candidate;
          break;
        }
      if (!ParseNumber(text, out))
        return false;
      out *= typed.hostUnits;
      return std::isfinite(out); // 1e308m overflows in host units
    }
    default:
    {
      const bool percent = StripSuffix(text, "%");
      if (!ParseNumber(text, out))
        return false;
      if (percent)
        out /= 100.0;
      return true;
    }
  }
}

const char* MeasureExpected(Int32 unit)
{
  switch (unit)
  {
    case DESC_UNIT_PERCENT: return "a percentage such as 50 or 50%";
    case DESC_UNIT_DEGREE: return "an angle in degrees";
    case DESC_UNIT_METER: return "a length such as 2, 2m, 15cm or 40mm (plain numbers are in the --unit)";
    default: return "a number";
  }
}

// A menu takes one of its entries, by label or by number; a plain integer
// parameter takes any whole number (its limits are applied afterwards).
GeData ParseChoiceOrInt(const DescElement& e, const Assignment& assignment)
{
  const BaseContainer cycle = e.settings.GetContainer(DESC_CYCLE);
  Int32 v = 0;
  const bool number = ParseInt(assignment.value, v);
  if (cycle.GetEntryCount() == 0)
  {
    if (!number)
      Fail(assignment, "a whole number");
    return GeData(v);
  }
  std::string entries;
  for (Int32 i = 0; i < cycle.GetEntryCount(); ++i)
  {
    const Int32 id = cycle.GetIndexId(i);
    const std::string label = cycle.GetIndexData(i).GetString();
    if (number ? id == v : !assignment.value.empty() && Normalized(label) == Normalized(assignment.value))
      return GeData(id);
    entries += (entries.empty() ? "" : ", ") + label + " (" + std::to_string(id) + ")";
  }
  Fail(assignment, "one of: " + entries);
}

Vector ParseVector(const DescElement& e, const Assignment& assignment, const AssignmentContext& context)
{
  const Int32 unit = e.settings.GetInt32(DESC_UNIT);
  const std::string expected = std::string(MeasureExpected(unit)) + ", or three of them as x,y,z";
  std::vector<std::string_view> parts;
  std::string_view rest = assignment.value;
  for (size_t comma; (comma = rest.find(',')) != std::string_view::npos; rest.remove_prefix(comma + 1))
    parts.push_back(rest.substr(0, comma));
  parts.push_back(rest);
  if (parts.size() != 1 && parts.size() != 3)
    Fail(assignment, expected);
  Float c[3] = {};
  for (size_t i = 0; i < parts.size(); ++i)
    if (!ParseMeasure(parts[i], unit, context.lengthUnit, c[i]))
      Fail(assignment, expected);
  return parts.size() == 1 ? Vector(c[0]) : Vector(c[0], c[1], c[2]);
}

// A limit's value for one component; a Float limit holds for every component.
std::optional<Float> LimitComponent(const BaseContainer& settings, Int32 key, int component)
{
  const GeData limit = ElementLimit(settings, key);
  switch (limit.GetType())
  {
    case DA_REAL: return limit.GetFloat();
    case DA_LONG: return Float(limit.GetInt32());
    case DA_VECTOR:
    {
      const Vector v = limit.GetVector();
      return component == 0 ? v.x : component == 1 ? v.y : v.z;
    }
    default: return std::nullopt;
  }
}

Float Clamp(const BaseContainer& settings, Float v, int component)
{
  if (const auto low = LimitComponent(settings, DESC_MIN, component); low && v < *low)
    v = *low;
  if (const auto high = LimitComponent(settings, DESC_MAX, component); high && v > *high)
    v = *high;
  return v;
}

} // namespace

Assignment ParseAssignment(const std::string& text)
{
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0)
    throw UsageError("--set " + text + ": expected NAME_OR_ID=VALUE");
  return {text.substr(0, eq), text.substr(eq + 1), text};
}

bool ParseLength(std::string_view text, const LengthUnit& unit, Float& hostUnits)
{
  return ParseMeasure(text, DESC_UNIT_METER, unit, hostUnits);
}

const DescElement* FindElement(const std::vector<DescElement>& elements, const std::string& name)
{
  Int32 id = 0;
  const bool numeric = ParseInt(name, id);
  const std::string wanted = Normalized(name);
  for (const DescElement& e : elements)
  {
    if (numeric ? e.id[0].id == id
                : Normalized(e.settings.GetString(kDescIdent)) == wanted ||
                      Normalized(e.settings.GetString(DESC_NAME)) == wanted)
      return &e;
  }
  return nullptr;
}

GeData ParseValue(const DescElement& e, const Assignment& assignment, const AssignmentContext& context)
{
  const std::string& text = assignment.value;
  switch (e.Type())
  {
    case DTYPE_LONG: return ParseChoiceOrInt(e, assignment);
    case DTYPE_REAL:
    {
      Float v = 0.0;
      const Int32 unit = e.settings.GetInt32(DESC_UNIT);
      if (!ParseMeasure(text, unit, context.lengthUnit, v))
        Fail(assignment, MeasureExpected(unit));
      return GeData(v);
    }
    case DTYPE_BOOL:
    {
      const std::string t = Normalized(text);
      if (t == "TRUE" || t == "ON" || t == "1" || t == "YES")
        return GeData(true);
      if (t == "FALSE" || t == "OFF" || t == "0" || t == "NO")
        return GeData(false);
      Fail(assignment, "true or false");
    }
    case DTYPE_VECTOR: return GeData(ParseVector(e, assignment, context));
    case DTYPE_STRING: return GeData(text);
    case CUSTOMDATATYPE_GRADIENT: return ParseGradientValue("--set " + assignment.name, text);
    case DTYPE_BASELISTLINK:
      if (context.linkByName)
        return GeData(BaseLink{context.linkByName(e, text)->GetUniqueId()});
      Fail(assignment, "a parameter that can be set here (links cannot)");
    default: Fail(assignment, "a parameter that takes a value (this one does not)");
  }
}

GeData ClampToLimits(const DescElement& e, const GeData& value)
{
  switch (value.GetType())
  {
    case DA_LONG:
      if (e.Type() != DTYPE_LONG)
        return value;
      return GeData(Int32(Clamp(e.settings, value.GetInt32(), 0)));
    case DA_REAL: return GeData(Clamp(e.settings, value.GetFloat(), 0));
    case DA_VECTOR:
    {
      const Vector v = value.GetVector();
      return GeData(Vector(Clamp(e.settings, v.x, 0), Clamp(e.settings, v.y, 1), Clamp(e.settings, v.z, 2)));
    }
    default: return value;
  }
}

const DescElement& RequireElement(const std::vector<DescElement>& elements, const Assignment& assignment)
{
  const DescElement* element = FindElement(elements, assignment.name);
  if (!element)
    throw UsageError("--set " + assignment.text + ": no parameter \"" + assignment.name +
                     "\" (quorvane describe lists them)");
  return *element;
}

void ApplyAssignment(BaseList2D* node, const std::vector<DescElement>& elements, const Assignment& assignment,
                     const AssignmentContext& context)
{
  const DescElement* element = &RequireElement(elements, assignment);
  const GeData typed = ParseValue(*element, assignment, context);
  const GeData value = ClampToLimits(*element, typed);
  if (!(value == typed))
  {
    const Int32 unit = element->settings.GetInt32(DESC_UNIT);
    const std::string limited =
        element->settings.GetString(DESC_NAME) + " is limited to " +
        FormatRange(ElementLimit(element->settings, DESC_MIN), ElementLimit(element->settings, DESC_MAX),
                    element->Type(), unit, context.lengthUnit) +
        "; " + FormatValue(typed, element->Type(), unit, context.lengthUnit) + " given";
    if (context.refuseBeyondLimits)
      throw UsageError(limited + ", nothing changed");
    if (context.warnBeyondLimits)
      std::cerr << "quorvane: warning: --set " << assignment.text << ": " << limited << ", "
              << FormatValue(value, element->Type(), unit, context.lengthUnit) << " used\n";
  }
  node->SetParameter(DescID(element->id[0]), value, DESCFLAGS_SET::USERINTERACTION);
}

} // namespace qhost::app
