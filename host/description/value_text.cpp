#include "host/description/value_text.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "host/core/description_resource.h"

namespace qhost {
namespace {

String WithUnit(Float value, Int32 unit, const LengthUnit& lengthUnit)
{
  const String number = FormatNumber(DisplayNumber(value, unit, lengthUnit));
  switch (unit)
  {
    case DESC_UNIT_PERCENT: return number + "%";
    case DESC_UNIT_DEGREE: return number + "\u00b0";
    case DESC_UNIT_METER: return String(number).append(" ").append(lengthUnit.symbol);
    default: return number;
  }
}

} // namespace

Float DisplayNumber(Float stored, Int32 unit, const LengthUnit& lengthUnit)
{
  switch (unit)
  {
    case DESC_UNIT_PERCENT: return stored * 100.0;
    case DESC_UNIT_DEGREE: return stored * 180.0 / std::numbers::pi;
    case DESC_UNIT_METER: return stored / lengthUnit.hostUnits;
    default: return stored;
  }
}

String FormatNumber(Float value)
{
  if (!std::isfinite(value))
    return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  char text[64];
  std::snprintf(text, sizeof(text), "%.4f", value);
  String s(text);
  while (s.back() == '0')
    s.pop_back();
  if (s.back() == '.')
    s.pop_back();
  return s == "-0" ? "0" : s;
}

String FormatValue(const GeData& value, Int32 dtype, Int32 unit, const LengthUnit& lengthUnit)
{
  switch (value.GetType())
  {
    case DA_NIL: return String();
    case DA_LONG:
      if (dtype == DTYPE_BOOL)
        return value.GetBool() ? "on" : "off";
      return std::to_string(value.GetInt32());
    case DA_REAL: return WithUnit(value.GetFloat(), unit, lengthUnit);
    case DA_VECTOR:
    {
      const Vector v = value.GetVector();
      String text = "(";
      text.append(WithUnit(v.x, unit, lengthUnit)).append(", ").append(WithUnit(v.y, unit, lengthUnit)).append(", ");
      text.append(WithUnit(v.z, unit, lengthUnit)).append(")");
      return text;
    }
    case DA_STRING: return String("\"").append(value.GetString()).append("\"");
    case DA_ALIASLINK:
    {
      const Int64 uid = value.GetBaseLink().uid;
      return uid == 0 ? String("none") : String("node #").append(std::to_string(uid));
    }
    default: return String("(").append(DescriptionTypeName(dtype)).append(")");
  }
}

String FormatRange(const GeData& low, const GeData& high, Int32 dtype, Int32 unit, const LengthUnit& lengthUnit)
{
  const String lo = FormatValue(low, dtype, unit, lengthUnit);
  const String hi = FormatValue(high, dtype, unit, lengthUnit);
  // Appended rather than concatenated: GCC 12 at -O3 warns falsely about
  // operator+ on strings (-Wrestrict).
  if (!lo.empty() && !hi.empty())
    return String(lo).append(" .. ").append(hi);
  if (!lo.empty())
    return String(">= ").append(lo);
  if (!hi.empty())
    return String("<= ").append(hi);
  return String();
}

String UnitSymbol(Int32 unit, const LengthUnit& lengthUnit)
{
  switch (unit)
  {
    case DESC_UNIT_PERCENT: return "%";
    case DESC_UNIT_DEGREE: return "\u00b0";
    case DESC_UNIT_METER: return lengthUnit.symbol;
    default: return String();
  }
}

GeData ElementLimit(const BaseContainer& settings, Int32 key)
{
  const GeData* limit = settings.GetDataPointer(key);
  if (!limit)
    return GeData();
  if (limit->GetType() == DA_REAL)
  {
    const Float v = limit->GetFloat();
    if (v <= Float(std::numeric_limits<Int32>::min()) || v >= Float(std::numeric_limits<Int32>::max()))
      return GeData();
  }
  return *limit;
}

} // namespace qhost
