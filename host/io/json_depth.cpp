#include "host/io/json_depth.h"

#include <algorithm>

namespace qhost {

std::size_t JsonNestingDepth(std::string_view text)
{
  std::size_t depth = 0, deepest = 0;
  bool inString = false, escaped = false;
  for (char c : text)
  {
    if (inString)
    {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
    }
    else if (c == '"')
      inString = true;
    else if (c == '[' || c == '{')
      deepest = std::max(deepest, ++depth);
    else if ((c == ']' || c == '}') && depth > 0)
      --depth;
  }
  return deepest;
}

} // namespace qhost
