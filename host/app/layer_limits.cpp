#include "host/app/layer_limits.h"

#include "host/app/app_context.h"

namespace qhost::app {

LayerCountRange LayerCountLimits(const PluginInfo& plugin, const char* identifier)
{
  for (const DescElement& element : plugin.description.elements)
    if (element.settings.GetString(kDescIdent) == identifier)
      return {static_cast<Int32>(element.settings.GetFloat(DESC_MIN, 1.0)),
              static_cast<Int32>(element.settings.GetFloat(DESC_MAX, 1.0))};
  throw UsageError(plugin.registration.description + " has no " + identifier);
}

void CheckLayerChange(const std::string& option, long long change, Int32 count, const LayerCountRange& range)
{
  const long long target = count + change;
  if (target >= range.min && target <= range.max)
    return;
  const std::string have = "the generator has " + std::to_string(count) + " layer" + (count == 1 ? "" : "s");
  if (change > 0)
    throw UsageError(option + ": " + have + " and takes at most " + std::to_string(range.max) + "; add at most " +
                     std::to_string(range.max - count));
  throw UsageError(option + ": " + have + " and keeps at least " + std::to_string(range.min) + "; remove at most " +
                   std::to_string(count - range.min));
}

} // namespace qhost::app
