#include "host/fields/fields_host.h"

#include "host/fields/falloff.h"
#include "host/fields/field_list.h"

namespace qhost {
namespace {

DescElement RealElement(Int32 id, const char* ident, const char* label, Float value, Float min)
{
  DescElement e;
  e.id = DescID(DescLevel(id, DTYPE_REAL, 0));
  e.settings = DefaultElementSettings(DTYPE_REAL);
  e.settings.SetString(DESC_NAME, label);
  e.settings.SetString(DESC_SHORT_NAME, label);
  e.settings.SetString(kDescIdent, ident);
  e.settings.SetFloat(DESC_DEFAULT, value);
  e.settings.SetFloat(DESC_MIN, min);
  return e;
}

DescriptionResource FieldDescription(const char* name)
{
  DescriptionResource d;
  d.name = name;
  d.elements.push_back(RealElement(FIELD_STRENGTH, "FIELD_STRENGTH", "Strength", 1.0, 0.0));
  d.elements.push_back(RealElement(FIELD_INNER, "FIELD_INNER", "Inner Distance", 0.0, -1e9));
  d.elements.push_back(RealElement(FIELD_OUTER, "FIELD_OUTER", "Outer Distance", 100.0, -1e9));
  DescElement invert;
  invert.id = DescID(DescLevel(FIELD_INVERT, DTYPE_BOOL, 0));
  invert.settings = DefaultElementSettings(DTYPE_BOOL);
  invert.settings.SetString(DESC_NAME, "Invert");
  invert.settings.SetString(DESC_SHORT_NAME, "Invert");
  invert.settings.SetString(kDescIdent, "FIELD_INVERT");
  invert.settings.SetBool(DESC_DEFAULT, false);
  d.elements.push_back(invert);
  return d;
}

} // namespace

void RegisterFieldTypes(NodeFactory& factory, const std::function<NodeCore*(Int32 type)>& makeObject)
{
  factory.RegisterCustomData(CUSTOMDATATYPE_FIELDLIST, [] { return new HostFieldList(); });
  const struct
  {
    Int32 type;
    const char* name;
  } kFields[] = {{Ofield_spherical, "Spherical Field"}, {Ofield_linear, "Linear Field"}, {Ofield_box, "Box Field"}};
  for (const auto& field : kFields)
  {
    const Int32 type = field.type;
    const String name = field.name;
    factory.RegisterType(NodeClass::Object, type, name, 0, [makeObject, type, name] {
      NodeCore* node = makeObject(type);
      node->name = name;
      node->data.SetFloat(FIELD_STRENGTH, 1.0);
      node->data.SetFloat(FIELD_INNER, 0.0);
      node->data.SetFloat(FIELD_OUTER, 100.0);
      node->data.SetBool(FIELD_INVERT, false);
      return node;
    });
    factory.RegisterBuiltinDescription(type, FieldDescription(field.name));
  }
}

} // namespace qhost
