// Scene-file coding of parameter containers: every entry by ID with a tag for
// its kind (long, real, vector, matrix, string, link, container, gradient,
// fieldlist, nil). Raw pointers are not saved.
#pragma once

#include "host/io/scene_json.h"
#include "hostapi/container.h"

namespace qhost::scene {

// {"id": container ID, "entries": [{"id", "kind", "value"}, ...]}, in entry order.
Json ContainerJson(const BaseContainer& bc);
// Raises SceneError naming the path of a malformed entry.
BaseContainer ReadContainer(const Json& json, const std::string& path, ReadBudget& budget);

} // namespace qhost::scene
