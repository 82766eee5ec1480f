#include "host/geometry/hierarchy_clone.h"

#include <cstdint>
#include <vector>

#include "host/core/node_factory.h"
#include "host/geometry/cache_pass.h"
#include "host/geometry/current_state.h"

namespace qhost {
namespace {

// Order-sensitive 64-bit mix (the splitmix64 finaliser over the running value).
void Mix(std::uint64_t& stamp, std::uint64_t value)
{
  std::uint64_t z = stamp ^ (value + 0x9e3779b97f4a7c15ull + (stamp << 6) + (stamp >> 2));
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  stamp = z ^ (z >> 31);
}

void StampTags(const NodeCore& object, std::uint64_t& stamp)
{
  for (const NodeCore* tag = object.tags.first; tag; tag = tag->next)
  {
    Mix(stamp, std::uint64_t(tag->Uid()));
    Mix(stamp, tag->GetDirty(DIRTYFLAGS_DATA));
  }
  Mix(stamp, std::uint64_t(object.tags.Count()));
}

ObjectNode* CloneSource(ObjectNode& source, HIERARCHYCLONEFLAGS flags, BaseDocument* doc)
{
  if (flags == HIERARCHYCLONEFLAGS::ASPOLY)
    return CurrentStateClone(source, doc);
  return dynamic_cast<ObjectNode*>(source.Clone(COPYFLAGS::NONE));
}

ObjectNode* CloneSources(const std::vector<ObjectNode*>& sources, HIERARCHYCLONEFLAGS flags, BaseDocument* doc)
{
  if (sources.size() == 1)
    return CloneSource(*sources.front(), flags, doc);
  auto* group = dynamic_cast<ObjectNode*>(NodeFactory::Instance().Create(NodeClass::Object, Onull));
  if (!group)
    return nullptr;
  for (ObjectNode* source : sources)
  {
    ObjectNode* clone = CloneSource(*source, flags, doc);
    if (!clone)
    {
      DestroyNode(group);
      return nullptr;
    }
    group->children.Append(clone);
  }
  return group;
}

std::uint64_t GeneratorStamp(const ObjectNode& generator)
{
  std::uint64_t stamp = 0;
  Mix(stamp, std::uint64_t(generator.Uid()));
  Mix(stamp, generator.GetDirty(DIRTYFLAGS_DATA));
  StampTags(generator, stamp);
  return stamp;
}

void StampSubtree(const ObjectNode& op, std::uint64_t& stamp)
{
  Mix(stamp, std::uint64_t(op.Uid()));
  Mix(stamp, op.GetDirty(DIRTYFLAGS_DATA));
  Mix(stamp, op.GetDirty(DIRTYFLAGS_MATRIX));
  Mix(stamp, op.GetDirty(DIRTYFLAGS_CHILDREN));
  StampTags(op, stamp);
  if (op.IsGenerator())
  {
    const ObjectNode* cache = op.Cache();
    Mix(stamp, cache ? std::uint64_t(cache->Uid()) : 0);
    Mix(stamp, op.GetDirty(DIRTYFLAGS_CACHE));
  }
  Int32 childCount = 0;
  for (const ObjectNode* child = op.FirstChild(); child; child = child->NextSibling(), ++childCount)
    StampSubtree(*child, stamp);
  Mix(stamp, std::uint64_t(childCount));
}

} // namespace

BaseObject* HierarchyCloneFor(ObjectNode& generator, const HierarchyHelp* hh, ObjectNode* op, HIERARCHYCLONEFLAGS flags,
                              Bool* dirty, Bool allchildren)
{
  if (dirty)
    *dirty = false;
  if (!op)
    return nullptr;
  BaseDocument* doc = hh ? hh->GetDocument() : op->Document();
  std::vector<ObjectNode*> sources;
  for (ObjectNode* source = op; source; source = allchildren ? source->NextSibling() : nullptr)
    sources.push_back(source);
  for (ObjectNode* source : sources)
    EnsureSubtreeCaches(*source, doc);

  std::uint64_t stamp = GeneratorStamp(generator);
  for (const ObjectNode* source : sources)
    StampSubtree(*source, stamp);
  if (generator.Cache() && generator.hierarchyStamp == stamp)
    return generator.Cache();

  ObjectNode* clone = CloneSources(sources, flags, doc);
  if (!clone)
    return nullptr;
  generator.hierarchyStamp = stamp;
  if (dirty)
    *dirty = true;
  return clone;
}

} // namespace qhost
