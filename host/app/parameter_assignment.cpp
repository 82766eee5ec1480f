#include "host/app/parameter_assignment.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "host/app/app_context.h"
#include "host/app/gradient_argument.h"

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

std::string Label(const DescElement& e)
{
  const std::string ident = e.settings.GetString(kDescIdent);
  return ident.empty() ? e.settings.GetString(DESC_NAME) : ident;
}

[[noreturn]] void Fail(const DescElement& e, const std::string& text, const char* expected)
{
  throw UsageError("--set " + Label(e) + "=" + text + ": expected " + expected);
}

bool ParseFloat(const std::string& text, Float& out)
{
  std::string t = text;
  bool percent = !t.empty() && t.back() == '%';
  if (percent)
    t.pop_back();
  const char* end = t.data() + t.size();
  const auto result = std::from_chars(t.data(), end, out);
  if (result.ec != std::errc() || result.ptr != end || t.empty() || !std::isfinite(out))
    return false;
  if (percent)
    out /= 100.0;
  return true;
}

bool ParseInt(const std::string& text, Int32& out)
{
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  return result.ec == std::errc() && result.ptr == end && !text.empty();
}

GeData ParseChoiceOrInt(const DescElement& e, const std::string& text)
{
  Int32 v = 0;
  if (ParseInt(text, v))
    return GeData(v);
  const BaseContainer cycle = e.settings.GetContainer(DESC_CYCLE);
  for (Int32 i = 0; i < cycle.GetEntryCount(); ++i)
    if (!text.empty() && Normalized(cycle.GetIndexData(i).GetString()) == Normalized(text))
      return GeData(cycle.GetIndexId(i));
  Fail(e, text, cycle.GetEntryCount() ? "a whole number or one of the choice labels" : "a whole number");
}

} // namespace

Assignment ParseAssignment(const std::string& text)
{
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0)
    throw UsageError("--set " + text + ": expected NAME_OR_ID=VALUE");
  return {text.substr(0, eq), text.substr(eq + 1)};
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

GeData ParseValue(const DescElement& e, const std::string& text)
{
  switch (e.Type())
  {
    case DTYPE_LONG: return ParseChoiceOrInt(e, text);
    case DTYPE_REAL:
    {
      Float v = 0.0;
      if (!ParseFloat(text, v))
        Fail(e, text, "a number");
      return GeData(v);
    }
    case DTYPE_BOOL:
    {
      const std::string t = Normalized(text);
      if (t == "TRUE" || t == "ON" || t == "1" || t == "YES")
        return GeData(true);
      if (t == "FALSE" || t == "OFF" || t == "0" || t == "NO")
        return GeData(false);
      Fail(e, text, "true or false");
    }
    case DTYPE_VECTOR:
    {
      Float c[3] = {};
      size_t start = 0;
      int count = 0;
      for (; count < 3 && start <= text.size(); ++count)
      {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!ParseFloat(part, c[count]))
          Fail(e, text, "a vector x,y,z or one number");
        if (comma == std::string::npos)
        {
          ++count;
          break;
        }
        start = comma + 1;
      }
      if (count == 1)
        return GeData(Vector(c[0]));
      if (count != 3 || start > text.size() || text.find(',', start) != std::string::npos)
        Fail(e, text, "a vector x,y,z or one number");
      return GeData(Vector(c[0], c[1], c[2]));
    }
    case DTYPE_STRING: return GeData(text);
    case CUSTOMDATATYPE_GRADIENT: return ParseGradientValue("--set " + Label(e), text);
    default: Fail(e, text, "a parameter that takes a value (this one does not)");
  }
}

void ApplyAssignment(BaseList2D* node, const std::vector<DescElement>& elements, const Assignment& assignment)
{
  const DescElement* element = FindElement(elements, assignment.name);
  if (!element)
    throw UsageError("--set " + assignment.name + ": no such parameter");
  const GeData value = ParseValue(*element, assignment.value);
  node->SetParameter(DescID(element->id[0]), value, DESCFLAGS_SET::USERINTERACTION);
}

} // namespace qhost::app
