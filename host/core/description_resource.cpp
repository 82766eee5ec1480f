#include "host/core/description_resource.h"

#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

#include "host/core/input_error.h"

#include "hostapi/ids.h"

namespace qhost {
namespace {

using Json = nlohmann::json;

struct TypeName
{
  const char* name;
  Int32 dtype;
};
constexpr TypeName kTypeNames[] = {
    {"group", DTYPE_GROUP},
    {"bool", DTYPE_BOOL},
    {"long", DTYPE_LONG},
    {"real", DTYPE_REAL},
    {"vector", DTYPE_VECTOR},
    {"string", DTYPE_STRING},
    {"link", DTYPE_BASELISTLINK},
    {"button", DTYPE_BUTTON},
    {"statictext", DTYPE_STATICTEXT},
    {"separator", DTYPE_STATICTEXT},
    {"gradient", CUSTOMDATATYPE_GRADIENT},
    {"fieldlist", CUSTOMDATATYPE_FIELDLIST},
};

Int32 UnitFromName(const String& unit)
{
  if (unit == "percent")
    return DESC_UNIT_PERCENT;
  if (unit == "meter")
    return DESC_UNIT_METER;
  if (unit == "degree")
    return DESC_UNIT_DEGREE;
  return 0;
}

// A value of the element's own type from JSON.
GeData ValueFor(Int32 dtype, const Json& v)
{
  switch (dtype)
  {
    case DTYPE_BOOL: return GeData(v.get<bool>());
    case DTYPE_LONG: return GeData(v.get<Int32>());
    case DTYPE_REAL: return GeData(v.get<Float>());
    case DTYPE_VECTOR:
      if (v.is_number())
        return GeData(Vector(v.get<Float>()));
      return GeData(Vector(v.at(0).get<Float>(), v.at(1).get<Float>(), v.at(2).get<Float>()));
    case DTYPE_STRING:
    case DTYPE_STATICTEXT: return GeData(v.get<String>());
    default: throw std::runtime_error("this element type takes no value");
  }
}

DescElement ParseElement(const Json& e)
{
  DescElement element;
  const String typeName = e.at("type").get<String>();
  const Int32 dtype = DescriptionTypeFromName(typeName);
  if (dtype == DTYPE_NONE)
    throw std::runtime_error("unknown element type \"" + typeName + "\"");
  element.id = DescID(DescLevel(e.at("id").get<Int32>(), dtype, 0));
  element.settings = DefaultElementSettings(dtype);
  BaseContainer& s = element.settings;
  if (const Int32 parent = e.value("parent", 0); parent != 0)
    element.parent = DescID(DescLevel(parent, DTYPE_GROUP, 0));
  if (e.contains("name"))
  {
    s.SetString(DESC_NAME, e["name"].get<String>());
    s.SetString(DESC_SHORT_NAME, e.value("short", e["name"].get<String>()));
  }
  if (e.contains("default"))
    s.SetData(DESC_DEFAULT, ValueFor(dtype == DTYPE_GROUP ? DTYPE_LONG : dtype, e["default"]));
  const auto numeric = [&](const char* key, Int32 id) {
    if (!e.contains(key))
      return;
    if (dtype == DTYPE_VECTOR && e[key].is_array())
      s.SetData(id, ValueFor(DTYPE_VECTOR, e[key]));
    else
      s.SetFloat(id, e[key].get<Float>());
  };
  numeric("min", DESC_MIN);
  numeric("max", DESC_MAX);
  numeric("step", DESC_STEP);
  numeric("minslider", DESC_MINSLIDER);
  numeric("maxslider", DESC_MAXSLIDER);
  if (e.contains("unit"))
  {
    const Int32 unit = UnitFromName(e["unit"].get<String>());
    if (unit == 0)
      throw std::runtime_error("unknown unit \"" + e["unit"].get<String>() + "\"");
    s.SetInt32(DESC_UNIT, unit);
  }
  if (e.contains("cycle"))
  {
    BaseContainer cycle(-1);
    for (const Json& entry : e["cycle"])
      cycle.SetString(entry.at(0).get<Int32>(), entry.at(1).get<String>());
    s.SetContainer(DESC_CYCLE, cycle);
  }
  if (e.contains("accept"))
  {
    BaseContainer accept(DTYPE_LONG);
    for (const Json& type : e["accept"])
      accept.SetInt32(type.get<Int32>(), 1);
    s.SetContainer(DESC_ACCEPT, accept);
  }
  if (e.contains("columns"))
    s.SetInt32(DESC_COLUMNS, e["columns"].get<Int32>());
  if (e.contains("customgui"))
    s.SetInt32(DESC_CUSTOMGUI, e["customgui"].get<Int32>());
  for (const auto& [key, id] : {std::pair{"hide", DESC_HIDE}, {"animate", DESC_ANIMATE}, {"scaleh", DESC_SCALEH}})
    if (e.contains(key))
      s.SetBool(id, e[key].get<bool>());
  if (e.contains("description"))
    s.SetString(kDescHelpText, e["description"].get<String>());
  if (e.contains("ident"))
    s.SetString(kDescIdent, e["ident"].get<String>());
  return element;
}

} // namespace

const DescElement* DescriptionResource::Find(const DescID& id) const
{
  for (const DescElement& e : elements)
    if (e.id[0].id == id[0].id)
      return &e;
  return nullptr;
}

Int32 DescriptionTypeFromName(const String& name)
{
  for (const TypeName& t : kTypeNames)
    if (name == t.name)
      return t.dtype;
  return DTYPE_NONE;
}

String DescriptionTypeName(Int32 dtype)
{
  for (const TypeName& t : kTypeNames)
    if (dtype == t.dtype)
      return t.name;
  return "unknown";
}

BaseContainer DefaultElementSettings(Int32 dtype)
{
  BaseContainer s(dtype);
  switch (dtype)
  {
    case DTYPE_REAL:
      s.SetFloat(DESC_MIN, -std::numeric_limits<Float>::max());
      s.SetFloat(DESC_MAX, std::numeric_limits<Float>::max());
      s.SetFloat(DESC_STEP, 1.0);
      s.SetBool(DESC_ANIMATE, true);
      break;
    case DTYPE_LONG:
      s.SetFloat(DESC_MIN, Float(std::numeric_limits<Int32>::min()));
      s.SetFloat(DESC_MAX, Float(std::numeric_limits<Int32>::max()));
      s.SetFloat(DESC_STEP, 1.0);
      s.SetBool(DESC_ANIMATE, true);
      break;
    case DTYPE_VECTOR:
    case DTYPE_BOOL:
    case DTYPE_BASELISTLINK:
    case DTYPE_STRING: s.SetBool(DESC_ANIMATE, true); break;
    default: break;
  }
  return s;
}

DescriptionResource LoadDescriptionResource(const String& path)
{
  std::ifstream file(path);
  if (!file)
    throw InputError(path + ": cannot open description");
  try
  {
    const Json root = Json::parse(file);
    DescriptionResource description;
    description.name = root.at("name").get<String>();
    for (const Json& e : root.at("elements"))
      description.elements.push_back(ParseElement(e));
    return description;
  }
  catch (const std::exception& e)
  {
    // The parser names the element; the file it is in is added here.
    throw InputError(path + ": broken description: " + e.what());
  }
}

} // namespace qhost
