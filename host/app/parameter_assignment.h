// `--set NAME_OR_ID=VALUE` on the command line: finding the parameter a user
// names and turning their text into a value of the parameter's type.
#pragma once

#include <string>
#include <vector>

#include "host/core/description_resource.h"
#include "hostapi/api.h"

namespace qhost::app {

struct Assignment
{
  std::string name; // as typed: an ID, an upper-case identifier or a label
  std::string value;
};

// Splits "NAME=VALUE"; throws UsageError without '='.
Assignment ParseAssignment(const std::string& text);

// The element a name refers to: its numeric ID, its identifier (kDescIdent) or
// its label, compared without case, spaces or underscores. Null when none.
const DescElement* FindElement(const std::vector<DescElement>& elements, const std::string& name);

// The text as a value of the element's type: Int32 (or a choice label), Float
// (a trailing % divides by 100), Bool (true/false/on/off/1/0), Vector ("x,y,z"
// or one number for all three), gradient (a knot list, see
// gradient_argument.h). Throws UsageError naming the parameter.
GeData ParseValue(const DescElement& element, const std::string& text);

// Finds, parses and sets one assignment on node; throws UsageError.
void ApplyAssignment(BaseList2D* node, const std::vector<DescElement>& elements, const Assignment& assignment);

} // namespace qhost::app
