#include "host/geometry/hierarchy_mesh.h"

namespace qhost {

void ForEachShownMesh(const ObjectNode& root, const Matrix& rootTransform,
                      const std::function<void(const ObjectNode& object, const Matrix& transform)>& visit)
{
  if (root.IsGenerator())
  {
    if (const ObjectNode* cache = root.Cache())
      ForEachShownMesh(*cache, rootTransform * cache->GetMl(), visit);
    if ((root.Info() & OBJECT_INPUT) != 0)
      return;
  }
  else if (root.GetPointCount() > 0)
    visit(root, rootTransform);
  for (const ObjectNode* child = root.FirstChild(); child; child = child->NextSibling())
    ForEachShownMesh(*child, rootTransform * child->GetMl(), visit);
}

} // namespace qhost
