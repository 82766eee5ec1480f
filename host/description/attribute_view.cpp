#include "host/description/attribute_view.h"

#include <algorithm>
#include <limits>

#include "hostapi/plugin.h"
#include "host/core/node_factory.h"
#include "host/description/value_text.h"

namespace qhost {
namespace {

// What an element shows when its node does not store a value.
GeData Fallback(Int32 dtype)
{
  switch (dtype)
  {
    case DTYPE_BOOL:
    case DTYPE_LONG: return GeData(Int32(0));
    case DTYPE_REAL: return GeData(0.0);
    case DTYPE_VECTOR: return GeData(Vector());
    case DTYPE_STRING: return GeData(String());
    case DTYPE_BASELISTLINK: return GeData(BaseLink{});
    default: return GeData();
  }
}

Bool HoldsValue(Int32 dtype)
{
  return dtype != DTYPE_GROUP && dtype != DTYPE_BUTTON && dtype != DTYPE_STATICTEXT;
}

String Label(const BaseContainer& settings)
{
  const String name = settings.GetString(DESC_NAME);
  return name.empty() ? settings.GetString(DESC_SHORT_NAME) : name;
}

AttributeElement MakeElement(NodeCore& node, const DescElement& described)
{
  const BaseContainer& s = described.settings;
  AttributeElement e;
  e.id = described.id;
  e.dtype = described.Type();
  e.ident = s.GetString(kDescIdent);
  e.label = Label(s);
  e.typeName = DescriptionTypeName(e.dtype);
  e.unit = s.GetInt32(DESC_UNIT);
  if (HoldsValue(e.dtype))
  {
    node.GetParameter(e.id, e.value);
    e.valueStored = e.value.GetType() != DA_NIL;
    if (!e.valueStored)
      e.value = Fallback(e.dtype);
    e.defaultValue = s.GetData(DESC_DEFAULT);
  }
  e.min = ElementLimit(s, DESC_MIN);
  e.max = ElementLimit(s, DESC_MAX);
  e.minSlider = ElementLimit(s, DESC_MINSLIDER);
  e.maxSlider = ElementLimit(s, DESC_MAXSLIDER);
  if (const GeData* cycle = s.GetDataPointer(DESC_CYCLE); cycle && cycle->GetContainer())
  {
    const BaseContainer& labels = *cycle->GetContainer();
    e.choice = labels.GetString(e.value.GetInt32());
    if (e.defaultValue.GetType() == DA_LONG)
      e.defaultChoice = labels.GetString(e.defaultValue.GetInt32());
    for (Int32 i = 0; i < labels.GetEntryCount(); ++i)
      e.choices.emplace_back(labels.GetIndexId(i), labels.GetIndexData(i).GetString());
  }
  if (const NodeData* plugin = node.PluginData())
    e.enabled = plugin->GetDEnabling(node.Api(), e.id, e.value, DESCFLAGS_ENABLE::NONE, &s);
  return e;
}

String Title(const NodeCore& node)
{
  const PluginInfo* plugin = node.Plugin();
  String title = !node.name.empty() ? node.name : plugin ? plugin->registration.name : String("Node");
  title += " (";
  if (plugin)
    title += plugin->registration.description + ", ";
  return title + "type " + std::to_string(node.Type()) + ")";
}

// A value with its choice label ("Electric (32)").
String Shown(const GeData& value, const String& choice, const AttributeElement& e, const LengthUnit& lengthUnit)
{
  const String text = FormatValue(value, e.dtype, e.unit, lengthUnit);
  return choice.empty() ? text : choice + " (" + text + ")";
}

String ValueText(const AttributeElement& e, const LengthUnit& lengthUnit)
{
  const String text = Shown(e.value, e.choice, e, lengthUnit);
  if (!HoldsValue(e.dtype) || e.valueStored)
    return text;
  return text.empty() ? "(not set)" : text + " (not set)";
}

// Spacers have no label of their own; the table names them so that the
// group's column layout stays readable.
String LabelText(const AttributeElement& e)
{
  return e.label.empty() && e.dtype == DTYPE_STATICTEXT ? String("(spacer)") : e.label;
}

// Rows of cells padded to the widest cell of each column.
class TextTable
{
public:
  void Add(std::vector<String> row)
  {
    widths_.resize(std::max(widths_.size(), row.size()));
    for (size_t i = 0; i < row.size(); ++i)
      widths_[i] = std::max(widths_[i], Width(row[i]));
    rows_.push_back(std::move(row));
  }
  String RenderRow(size_t index) const
  {
    const std::vector<String>& row = rows_[index];
    String line = "  ";
    for (size_t i = 0; i < row.size(); ++i)
    {
      line += row[i];
      if (i + 1 < row.size())
        line += String(widths_[i] - Width(row[i]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    return line + "\n";
  }

private:
  // Display width: UTF-8 continuation bytes take no column.
  static size_t Width(const String& s)
  {
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  }
  std::vector<size_t> widths_;
  std::vector<std::vector<String>> rows_;
};

// Every choice list, once per identifier (layers repeat theirs).
String ChoiceLists(const AttributeView& view)
{
  String text;
  std::vector<String> shown;
  for (const AttributeGroup& group : view.groups)
    for (const AttributeElement& e : group.elements)
    {
      if (e.choices.empty() || (!e.ident.empty() && std::find(shown.begin(), shown.end(), e.ident) != shown.end()))
        continue;
      shown.push_back(e.ident);
      text += "\nChoices of " + std::to_string(e.id[0].id) + (e.ident.empty() ? "" : " " + e.ident) + " (" +
              e.label + "):\n";
      for (const auto& [value, label] : e.choices)
        text += "  " + std::to_string(value) + "  " + label + "\n";
    }
  return text;
}

} // namespace

const AttributeGroup* AttributeView::FindGroup(const DescID& id) const
{
  for (const AttributeGroup& group : groups)
    if (group.id == id)
      return &group;
  return nullptr;
}

const AttributeElement* AttributeView::FindElement(const DescID& id) const
{
  for (const AttributeGroup& group : groups)
    for (const AttributeElement& element : group.elements)
      if (element.id == id)
        return &element;
  return nullptr;
}

AttributeView MakeAttributeView(NodeCore& node, const DescriptionImpl& description)
{
  AttributeView view;
  view.title = Title(node);
  view.groups.push_back(AttributeGroup{DescID(), DescID(), kDefaultGroupLabel, 1, {}});
  std::vector<DescID> hiddenGroups;
  for (const DescElement& d : description.Elements())
  {
    if (d.Type() != DTYPE_GROUP)
      continue;
    if (d.settings.GetBool(DESC_HIDE))
      hiddenGroups.push_back(d.id);
    else
      view.groups.push_back(AttributeGroup{d.id, d.parent, Label(d.settings), d.settings.GetInt32(DESC_COLUMNS, 1), {}});
  }
  for (const DescElement& d : description.Elements())
  {
    if (d.Type() == DTYPE_GROUP || d.settings.GetBool(DESC_HIDE) ||
        std::find(hiddenGroups.begin(), hiddenGroups.end(), d.parent) != hiddenGroups.end())
      continue;
    auto group = std::find_if(view.groups.begin() + 1, view.groups.end(),
                              [&](const AttributeGroup& g) { return d.parent.GetDepth() > 0 && g.id == d.parent; });
    (group == view.groups.end() ? view.groups.front() : *group).elements.push_back(MakeElement(node, d));
  }
  if (view.groups.front().elements.empty())
    view.groups.erase(view.groups.begin());
  return view;
}

AttributeView DescribeNode(NodeCore& node)
{
  DescriptionImpl description;
  BuildDescription(node, description);
  return MakeAttributeView(node, description);
}

String FormatAttributeView(const AttributeView& view, const AttributeTextOptions& options)
{
  const LengthUnit& unit = options.lengthUnit;
  // One table for all groups so that columns line up across the whole view.
  TextTable table;
  table.Add({"ID", "Identifier", "Label", "Type", "Unit", "Value", "Default", "Limits", "Slider", "State"});
  for (const AttributeGroup& group : view.groups)
    for (const AttributeElement& e : group.elements)
      table.Add({std::to_string(e.id[0].id), e.ident, LabelText(e), e.typeName, UnitSymbol(e.unit, unit),
                 ValueText(e, unit), Shown(e.defaultValue, e.defaultChoice, e, unit),
                 FormatRange(e.min, e.max, e.dtype, e.unit, unit),
                 FormatRange(e.minSlider, e.maxSlider, e.dtype, e.unit, unit), e.enabled ? "" : "disabled"});

  String text = view.title + "\n";
  size_t row = 1;
  for (const AttributeGroup& group : view.groups)
  {
    text += "\n[" + group.label + "]";
    if (group.id.GetDepth() > 0)
      text += " group " + std::to_string(group.id[0].id);
    if (group.parent.GetDepth() > 0)
      text += " in " + std::to_string(group.parent[0].id);
    text += ", " + std::to_string(group.columns) + (group.columns == 1 ? " column\n" : " columns\n");
    if (group.elements.empty())
      continue;
    text += table.RenderRow(0);
    for (size_t i = 0; i < group.elements.size(); ++i)
      text += table.RenderRow(row++);
  }
  if (options.choices)
    text += ChoiceLists(view);
  return text;
}

void PressButton(NodeCore& node, Int32 id)
{
  DescriptionCommand command{DescID(DescLevel(id, DTYPE_BUTTON, 0))};
  node.Api()->Message(MSG_DESCRIPTION_COMMAND, &command);
}

} // namespace qhost
