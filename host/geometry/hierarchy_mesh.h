// Walks an object hierarchy the way it is shown: generators stand for their
// caches, an OBJECT_INPUT generator hides its children, every other object
// contributes its own points and polygons.
#pragma once

#include <functional>

#include "host/geometry/object_node.h"

namespace qhost {

// Calls visit for every object with points in root's hierarchy (caches
// included), with the transform from that object's space to the space in
// which root's transform is rootTransform. Uses caches as they are.
void ForEachShownMesh(const ObjectNode& root, const Matrix& rootTransform,
                      const std::function<void(const ObjectNode& object, const Matrix& transform)>& visit);

} // namespace qhost
