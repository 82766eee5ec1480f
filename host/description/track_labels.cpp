#include "host/description/track_labels.h"

#include "host/core/simple_nodes.h"
#include "host/description/description_impl.h"

namespace qhost {

String DescriptionTrackLabel(const NodeCore& owner, const DescID& id)
{
  const DescID parameter(id[0]);
  DescriptionImpl description;
  // Asking for the one element is what the attribute manager does for a single
  // parameter. Like every description request it may write a new layer's
  // initial value into the owner, hence the non-const node.
  BuildDescription(const_cast<NodeCore&>(owner), description, &parameter);
  const BaseContainer* settings = description.GetParameter(parameter);
  const String label = settings ? settings->GetString(DESC_NAME) : String();
  return label.empty() ? "Parameter " + std::to_string(parameter[0].id) : label;
}

void InstallTrackLabelResolver() { SetTrackLabelResolver(DescriptionTrackLabel); }

} // namespace qhost
