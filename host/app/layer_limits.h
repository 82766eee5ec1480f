// The generator's layer count is held to the limits its description declares
// before any layer button is pressed, so a huge count is refused at once
// instead of building layer after layer.
#pragma once

#include <string>

#include "host/core/node_factory.h"

namespace qhost::app {

struct LayerCountRange
{
  Int32 min = 1;
  Int32 max = 1;
};

// The min and max of the plug-in's element identified as identifier.
LayerCountRange LayerCountLimits(const PluginInfo& plugin, const char* identifier);

// Throws UsageError naming option when starting from count layers and adding
// change of them (negative: removing) leaves the range.
void CheckLayerChange(const std::string& option, long long change, Int32 count, const LayerCountRange& range);

} // namespace qhost::app
