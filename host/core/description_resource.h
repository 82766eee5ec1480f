// Static descriptions: the parameters a node type declares in its resource file.
//
// A description file is JSON:
//   { "name": "oxrock",
//     "elements": [ { "id": 2000, "type": "long", "name": "Subdivisions",
//                     "parent": 1000, "default": 4, "min": 0, "max": 12, ... }, ... ] }
// Types: group, bool, long, real, vector, string, link, button, statictext,
// gradient, fieldlist, separator. Settings: name, short (short name), parent (a
// group ID, 0 = top), default, min, max, step, minslider, maxslider, unit
// ("percent", "meter", "degree"), cycle ([[value, "label"], ...]), columns,
// hide, animate, scaleh, accept ([type IDs]), customgui, description (help text),
// ident (the upper-case parameter name).
// Groups are shown in file order; elements in their group in file order.
#pragma once

#include <vector>

#include "hostapi/container.h"
#include "hostapi/desc_id.h"

namespace qhost {

struct DescElement
{
  DescID id;
  BaseContainer settings; // DESC_* keys; settings.GetId() is the DTYPE_*
  DescID parent;          // the group, or an empty ID at the top

  Int32 Type() const { return settings.GetId(); }
};

struct DescriptionResource
{
  String name;
  std::vector<DescElement> elements;

  const DescElement* Find(const DescID& id) const;
};

// Loads a description file; throws InputError naming the file on failure.
DescriptionResource LoadDescriptionResource(const String& path);

// The DTYPE_* of a type name in a description file, or DTYPE_NONE.
// Settings keys of an element's help text and of its identifier, the upper-case
// name users type on the command line (OXROCK_SEED).
constexpr Int32 kDescHelpText = 900001;
constexpr Int32 kDescIdent = 900002;

Int32 DescriptionTypeFromName(const String& name);
String DescriptionTypeName(Int32 dtype);

// The default settings container of an element type.
BaseContainer DefaultElementSettings(Int32 dtype);

} // namespace qhost
