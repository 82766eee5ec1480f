// Values a scene file gives a node are held to the limits the node type's
// description declares, as a user interface would hold them: a count of
// layers or segments beyond its maximum is refused before anything is built.
#pragma once

#include <string>

#include "host/core/description_resource.h"
#include "host/io/scene_json.h"

namespace qhost::scene {

// Throws SceneError naming the entry's JSON path (dataJson is the container's
// JSON at path) when a long or real value lies outside its element's min/max.
void CheckDescriptionLimits(const DescriptionResource& description, const BaseContainer& data, const Json& dataJson,
                            const std::string& path);

} // namespace qhost::scene
