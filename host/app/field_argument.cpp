#include "host/app/field_argument.h"

#include <vector>

#include "host/app/app_context.h"
#include "host/app/parameter_assignment.h"

namespace qhost::app {

FieldArgument ParseFieldArgument(const std::string& text, const LengthUnit& unit)
{
  std::vector<std::string> parts;
  for (size_t start = 0;;)
  {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  if (parts.size() != 6)
    throw UsageError("--field " + text + ": expected SHAPE,X,Y,Z,INNER,OUTER");
  FieldArgument field;
  if (parts[0] == "spherical")
    field.type = Ofield_spherical;
  else if (parts[0] == "linear")
    field.type = Ofield_linear;
  else if (parts[0] == "box")
    field.type = Ofield_box;
  else
    throw UsageError("--field " + text + ": unknown shape \"" + parts[0] + "\" (spherical, linear or box)");
  Float lengths[5] = {};
  for (int i = 0; i < 5; ++i)
    if (!ParseLength(parts[size_t(i + 1)], unit, lengths[i]))
      throw UsageError("--field " + text + ": \"" + parts[size_t(i + 1)] +
                       "\" is not a length (a number, optionally with m, cm or mm)");
  field.position = Vector(lengths[0], lengths[1], lengths[2]);
  field.inner = lengths[3];
  field.outer = lengths[4];
  return field;
}

} // namespace qhost::app
