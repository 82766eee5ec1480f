// `--set NAME_OR_ID=VALUE` on the command line: finding the parameter a user
// names and reading their text in the unit the attribute manager shows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/description_resource.h"
#include "host/core/length_unit.h"
#include "hostapi/api.h"

namespace qhost::app {

struct Assignment
{
  std::string name; // as typed: an ID, an upper-case identifier or a label
  std::string value;
  std::string text; // the whole NAME=VALUE, for messages
};

// Splits "NAME=VALUE"; throws UsageError without '='.
Assignment ParseAssignment(const std::string& text);

// How typed values are read beyond what the description says.
struct AssignmentContext
{
  // Unit of a length typed without a suffix.
  LengthUnit lengthUnit = kMetre;
  // The node a link parameter's text names; throws UsageError listing the
  // names it knows. Without it, links cannot be set.
  std::function<BaseList2D*(const DescElement&, const std::string&)> linkByName;
  // A value beyond the element's limits is refused (UsageError) instead of
  // held at the limit with a warning.
  bool refuseBeyondLimits = false;
  // Otherwise it is held at the limit with a warning, unless this is off (a
  // check ahead of the assignments that count, which warn then).
  bool warnBeyondLimits = true;
};

// The element a name refers to: its numeric ID, its identifier (kDescIdent) or
// its label, compared without case, spaces or underscores. Null when none.
const DescElement* FindElement(const std::vector<DescElement>& elements, const std::string& name);

// The element the assignment names; throws UsageError when there is none.
const DescElement& RequireElement(const std::vector<DescElement>& elements, const Assignment& assignment);

// The typed value as stored, for the element's type and unit: Int32 (or a
// choice label), Float and Vector components in the unit describe shows
// (percent with or without "%", degrees, lengths in the context's unit or
// with a suffix m, cm or mm), Bool (true/false/on/off/yes/no/1/0), a link by
// name, a gradient (a knot list, see gradient_argument.h). Throws UsageError
// naming the assignment.
GeData ParseValue(const DescElement& element, const Assignment& assignment, const AssignmentContext& context);

// A length typed as a number in unit or with a suffix (m, cm, mm), in host
// units; false when the text is no such length.
bool ParseLength(std::string_view text, const LengthUnit& unit, Float& hostUnits);

// value held within the element's limits (DESC_MIN, DESC_MAX), as the
// attribute manager holds a typed value.
GeData ClampToLimits(const DescElement& element, const GeData& value);

// Finds, parses, clamps and sets one assignment on node; a clamped value is
// reported on stderr with the value given and the value used, or refused when
// the context says so. Throws UsageError.
void ApplyAssignment(BaseList2D* node, const std::vector<DescElement>& elements, const Assignment& assignment,
                     const AssignmentContext& context = {});

} // namespace qhost::app
