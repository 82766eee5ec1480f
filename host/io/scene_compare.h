// Structural comparison of documents: what a scene file holds, node by node.
// Saving and loading back must give a document this finds equal.
#pragma once

#include <string>

#include "hostapi/api.h"

namespace qhost {

// True when a and b hold the same objects, tags, tracks, shaders, materials and
// render settings with equal types, names, unique IDs, parameters and family
// state. Otherwise difference names the first place they differ. NaN equals
// NaN; raw pointer entries, which files leave out, are skipped.
bool SameScene(const BaseDocument& a, const BaseDocument& b, std::string& difference);

} // namespace qhost
