#include "host/shading/shader_links.h"

namespace qhost {
namespace {

// Walks two shader branches of equal shape side by side.
const NodeCore* Corresponding(const NodeList& from, const NodeList& to, Int64 uid)
{
  const NodeCore* b = to.first;
  for (const NodeCore* a = from.first; a && b; a = a->next, b = b->next)
  {
    if (a->Uid() == uid)
      return b;
    if (const NodeCore* nested = Corresponding(a->shaders, b->shaders, uid))
      return nested;
  }
  return nullptr;
}

} // namespace

NodeCore* FindOwnedShader(const NodeCore& owner, Int64 uid)
{
  for (NodeCore* s = owner.shaders.first; s; s = s->next)
  {
    if (s->Uid() == uid)
      return s;
    if (NodeCore* nested = FindOwnedShader(*s, uid))
      return nested;
  }
  return nullptr;
}

BaseShader* ResolveShaderLink(const NodeCore& owner, const BaseLink& link)
{
  if (link.uid == 0)
    return nullptr;
  if (NodeCore* own = FindOwnedShader(owner, link.uid))
    return own->Kind() == NodeClass::Shader ? static_cast<BaseShader*>(own->Api()) : nullptr;
  BaseList2D* found = link.GetLink(owner.Document());
  NodeCore* node = Core(found);
  return node && node->Kind() == NodeClass::Shader ? static_cast<BaseShader*>(found) : nullptr;
}

Int64 CopiedShaderUid(const NodeCore& source, const NodeCore& copy, Int64 uid)
{
  const NodeCore* match = Corresponding(source.shaders, copy.shaders, uid);
  return match ? match->Uid() : uid;
}

} // namespace qhost
