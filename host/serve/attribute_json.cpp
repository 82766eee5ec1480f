#include "host/serve/attribute_json.h"

#include "host/description/value_text.h"

namespace qhost {
namespace {

using nlohmann::json;

// A value as the page edits it: a number in the unit shown, a switch as a
// boolean, a vector as three numbers; null for what the page only shows.
json EditableValue(const GeData& value, Int32 dtype, Int32 unit, const LengthUnit& lengthUnit)
{
  switch (value.GetType())
  {
    case DA_LONG: return dtype == DTYPE_BOOL ? json(value.GetBool()) : json(value.GetInt32());
    case DA_REAL: return DisplayNumber(value.GetFloat(), unit, lengthUnit);
    case DA_VECTOR:
    {
      const Vector v = value.GetVector();
      return json::array({DisplayNumber(v.x, unit, lengthUnit), DisplayNumber(v.y, unit, lengthUnit),
                          DisplayNumber(v.z, unit, lengthUnit)});
    }
    default: return nullptr;
  }
}

// How the page draws the element.
const char* ControlKind(const AttributeElement& e)
{
  if (!e.choices.empty())
    return "choice";
  switch (e.dtype)
  {
    case DTYPE_BUTTON: return "button";
    case DTYPE_BOOL: return "switch";
    case DTYPE_LONG:
    case DTYPE_REAL: return "number";
    case DTYPE_VECTOR: return "vector";
    case DTYPE_STATICTEXT: return "spacer";
    default: return "readonly";
  }
}

json ElementJson(const AttributeElement& e, const LengthUnit& lengthUnit)
{
  const auto limit = [&](const GeData& v) { return EditableValue(v, e.dtype, e.unit, lengthUnit); };
  json element = {
      {"id", e.id[0].id},
      {"ident", e.ident},
      {"label", e.label},
      {"type", e.typeName},
      {"control", ControlKind(e)},
      {"unit", UnitSymbol(e.unit, lengthUnit)},
      {"value", limit(e.value)},
      {"text", FormatValue(e.value, e.dtype, e.unit, lengthUnit)},
      {"default", FormatValue(e.defaultValue, e.dtype, e.unit, lengthUnit)},
      {"min", limit(e.min)},
      {"max", limit(e.max)},
      {"sliderMin", limit(e.minSlider)},
      {"sliderMax", limit(e.maxSlider)},
      {"enabled", e.enabled},
  };
  if (!e.choices.empty())
  {
    json choices = json::array();
    for (const auto& [value, label] : e.choices)
      choices.push_back({{"value", value}, {"label", label}});
    element["choices"] = std::move(choices);
  }
  return element;
}

} // namespace

json AttributeViewJson(const AttributeView& view, const LengthUnit& lengthUnit)
{
  json groups = json::array();
  for (const AttributeGroup& group : view.groups)
  {
    json elements = json::array();
    for (const AttributeElement& e : group.elements)
      elements.push_back(ElementJson(e, lengthUnit));
    groups.push_back({
        {"id", group.id.GetDepth() > 0 ? json(group.id[0].id) : json(nullptr)},
        {"parent", group.parent.GetDepth() > 0 ? json(group.parent[0].id) : json(nullptr)},
        {"label", group.label},
        {"columns", group.columns},
        {"elements", std::move(elements)},
    });
  }
  return {{"title", view.title}, {"groups", std::move(groups)}};
}

} // namespace qhost
