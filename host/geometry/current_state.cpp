#include "host/geometry/current_state.h"

#include "host/core/node_factory.h"
#include "host/geometry/cache_pass.h"

namespace qhost {
namespace {

ObjectNode* CopyOfCache(ObjectNode& generator, BaseDocument* doc)
{
  const ObjectNode* cache = UpToDateCache(generator, doc);
  NodeCore* copy = cache ? cache->Clone(COPYFLAGS::NONE) : NodeFactory::Instance().Create(NodeClass::Object, Onull);
  auto* object = dynamic_cast<ObjectNode*>(copy);
  if (!object)
  {
    DestroyNode(copy);
    return nullptr;
  }
  object->name = generator.name;
  object->SetMl(generator.GetMl() * (cache ? cache->GetMl() : Matrix()));
  return object;
}

} // namespace

ObjectNode* CurrentStateClone(ObjectNode& op, BaseDocument* doc)
{
  ObjectNode* result = nullptr;
  if (op.IsGenerator())
    result = CopyOfCache(op, doc);
  else
    result = dynamic_cast<ObjectNode*>(op.Clone(COPYFLAGS::NO_HIERARCHY));
  if (!result)
    return nullptr;
  if (op.IsGenerator() && (op.Info() & OBJECT_INPUT) != 0)
    return result;
  for (ObjectNode* child = op.FirstChild(); child; child = child->NextSibling())
  {
    ObjectNode* converted = CurrentStateClone(*child, doc);
    if (!converted)
    {
      DestroyNode(result);
      return nullptr;
    }
    result->children.Append(converted);
  }
  return result;
}

} // namespace qhost
