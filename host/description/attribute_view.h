// The attribute-manager view of a node: its description resolved into groups
// of parameters with their current values, defaults, limits and enabling.
#pragma once

#include <utility>
#include <vector>

#include "host/core/length_unit.h"
#include "host/core/node_core.h"
#include "host/description/description_impl.h"

namespace qhost {

struct AttributeElement
{
  DescID id;
  String ident;            // the upper-case identifier, empty when it has none
  String label;
  Int32 dtype = DTYPE_NONE;
  String typeName;
  Int32 unit = 0;          // DESC_UNIT_*, 0 for none
  GeData value;            // current value; the type's fallback when not stored
  Bool valueStored = false;
  GeData defaultValue;     // DA_NIL when the element has no default
  GeData min, max;         // DA_NIL when unbounded
  GeData minSlider, maxSlider;
  String choice;           // label of the current value of a choice list
  String defaultChoice;    // label of the default in the choice list
  std::vector<std::pair<Int32, String>> choices; // the choice list: value, label
  Bool enabled = true;
};

struct AttributeGroup
{
  DescID id;               // empty for the group of top-level elements
  DescID parent;           // the enclosing group, empty at the top
  String label;
  Int32 columns = 1;
  std::vector<AttributeElement> elements;
};

struct AttributeView
{
  String title;
  std::vector<AttributeGroup> groups;

  const AttributeGroup* FindGroup(const DescID& id) const;
  const AttributeElement* FindElement(const DescID& id) const;
};

// The label of the group that gathers elements without a parent group.
inline constexpr const char* kDefaultGroupLabel = "General";

// The view of node as described by description. Groups keep description
// order (static groups, then those the plug-in added); hidden elements and the
// contents of hidden groups are left out.
AttributeView MakeAttributeView(NodeCore& node, const DescriptionImpl& description);

// Builds node's full description and its view.
AttributeView DescribeNode(NodeCore& node);

struct AttributeTextOptions
{
  // Lengths (stored in host units) are shown in this unit.
  LengthUnit lengthUnit = kMetre;
  // Lists every choice parameter's values and labels after the table; a
  // list shared by several parameters with one identifier is shown once.
  bool choices = false;
};

// A readable text table of the view, one block per group: ID, identifier,
// label, type, unit, value, default, limits, slider range and state.
String FormatAttributeView(const AttributeView& view, const AttributeTextOptions& options = {});

// Presses the description button id of node: MSG_DESCRIPTION_COMMAND through
// the node's own message function, as the attribute manager does.
void PressButton(NodeCore& node, Int32 id);

} // namespace qhost
