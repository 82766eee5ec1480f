// Names of animation tracks taken from the owner's full description, so that
// tracks of parameters a plug-in adds at run time (noise layers) are named
// after their labels too.
#pragma once

#include "host/core/node_core.h"

namespace qhost {

// The label of parameter id (its first level) of owner, "Parameter <id>" when
// the description has no such element.
String DescriptionTrackLabel(const NodeCore& owner, const DescID& id);

// Makes DescriptionTrackLabel the host's track label resolver.
void InstallTrackLabelResolver();

} // namespace qhost
