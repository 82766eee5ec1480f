#include "host/geometry/primitive_objects.h"

#include "host/core/node_factory.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/primitives.h"

namespace qhost {
namespace {

struct ParameterDefinition
{
  Int32 id;
  Int32 dtype;
  const char* label;
  GeData fallback;
  Float minimum;
};

struct PrimitiveDefinition
{
  Int32 type;
  const char* name;
  std::vector<ParameterDefinition> parameters;
};

const std::vector<PrimitiveDefinition>& PrimitiveDefinitions()
{
  static const std::vector<PrimitiveDefinition> definitions = {
      {Ocube,
       "Cube",
       {{kCubeSize, DTYPE_VECTOR, "Size", GeData(Vector(200.0)), 0.0},
        {kCubeSegmentsX, DTYPE_LONG, "Segments X", GeData(Int32(1)), 1.0},
        {kCubeSegmentsY, DTYPE_LONG, "Segments Y", GeData(Int32(1)), 1.0},
        {kCubeSegmentsZ, DTYPE_LONG, "Segments Z", GeData(Int32(1)), 1.0}}},
      {Osphere,
       "Sphere",
       {{kSphereRadius, DTYPE_REAL, "Radius", GeData(100.0), 0.0},
        {kSphereSegments, DTYPE_LONG, "Segments", GeData(Int32(24)), 3.0}}},
      {Oplane,
       "Plane",
       {{kPlaneWidth, DTYPE_REAL, "Width", GeData(400.0), 0.0},
        {kPlaneHeight, DTYPE_REAL, "Height", GeData(400.0), 0.0},
        {kPlaneSegmentsWidth, DTYPE_LONG, "Width Segments", GeData(Int32(4)), 1.0},
        {kPlaneSegmentsHeight, DTYPE_LONG, "Height Segments", GeData(Int32(4)), 1.0}}},
  };
  return definitions;
}

DescriptionResource MakeDescription(const PrimitiveDefinition& primitive)
{
  DescriptionResource description;
  description.name = primitive.name;
  for (const ParameterDefinition& parameter : primitive.parameters)
  {
    BaseContainer settings = DefaultElementSettings(parameter.dtype);
    settings.SetString(DESC_NAME, parameter.label);
    settings.SetString(DESC_SHORT_NAME, parameter.label);
    settings.SetData(DESC_DEFAULT, parameter.fallback);
    if (parameter.dtype == DTYPE_VECTOR)
      settings.SetVector(DESC_MIN, Vector(parameter.minimum));
    else
      settings.SetFloat(DESC_MIN, parameter.minimum);
    if (parameter.dtype == DTYPE_LONG)
      settings.SetInt32(DESC_MAX, kMaxPrimitiveSegments);
    description.elements.push_back(DescElement{DescID(parameter.id), settings, DescID()});
  }
  return description;
}

} // namespace

bool IsPrimitiveType(Int32 type) { return type == Ocube || type == Osphere || type == Oplane; }

MeshData BuildPrimitiveMesh(const ObjectNode& primitive)
{
  const BaseContainer& bc = primitive.data;
  switch (primitive.Type())
  {
    case Ocube:
      return MakeCube(bc.GetVector(kCubeSize, Vector(200.0)), bc.GetInt32(kCubeSegmentsX, 1),
                      bc.GetInt32(kCubeSegmentsY, 1), bc.GetInt32(kCubeSegmentsZ, 1));
    case Osphere: return MakeSphere(bc.GetFloat(kSphereRadius, 100.0), bc.GetInt32(kSphereSegments, 24));
    case Oplane:
      return MakePlane(bc.GetFloat(kPlaneWidth, 400.0), bc.GetFloat(kPlaneHeight, 400.0),
                       bc.GetInt32(kPlaneSegmentsWidth, 4), bc.GetInt32(kPlaneSegmentsHeight, 4));
    default: return {};
  }
}

bool RefreshPrimitiveCache(ObjectNode& primitive)
{
  if (!IsPrimitiveType(primitive.Type()))
    return false;
  const UInt32 parameters = primitive.GetDirty(DIRTYFLAGS_DATA);
  if (primitive.Cache() && primitive.cacheSourceStamp == parameters)
    return true;
  ObjectNode* cache = NewPolygonObject(BuildPrimitiveMesh(primitive));
  if (!cache)
    return false;
  cache->name = primitive.name;
  primitive.SetCache(cache);
  primitive.cacheSourceStamp = parameters;
  return true;
}

void RegisterPrimitiveTypes(NodeFactory& factory)
{
  for (const PrimitiveDefinition& primitive : PrimitiveDefinitions())
  {
    const Int32 type = primitive.type;
    factory.RegisterType(NodeClass::Object, type, primitive.name, OBJECT_GENERATOR, [type, name = String(primitive.name)] {
      auto* node = new ObjectNode(type);
      node->name = name;
      for (const PrimitiveDefinition& s : PrimitiveDefinitions())
        if (s.type == type)
          for (const ParameterDefinition& parameter : s.parameters)
            node->data.SetData(parameter.id, parameter.fallback);
      return node;
    });
    factory.RegisterBuiltinDescription(type, MakeDescription(primitive));
  }
}

} // namespace qhost
