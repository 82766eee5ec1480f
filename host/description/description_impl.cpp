#include "host/description/description_impl.h"

#include "hostapi/plugin.h"
#include "host/core/node_factory.h"

namespace qhost {

Bool DescriptionImpl::LoadDescription(Int32 type)
{
  const DescriptionResource* resource = NodeFactory::Instance().FindDescription(type);
  if (!resource)
    return false;
  for (const DescElement& element : resource->elements)
    SetParameter(element.id, element.settings, element.parent);
  return true;
}

Bool DescriptionImpl::SetParameter(const DescID& id, const BaseContainer& settings, const DescID& parent)
{
  if (id.GetDepth() == 0 || settings.GetId() == DTYPE_NONE)
    return false;
  for (DescElement& element : elements_)
    if (element.id == id)
    {
      element.settings = settings;
      element.parent = parent;
      return true;
    }
  elements_.push_back(DescElement{id, settings, parent});
  return true;
}

const BaseContainer* DescriptionImpl::GetParameter(const DescID& id) const
{
  const DescElement* element = Find(id);
  return element ? &element->settings : nullptr;
}

void DescriptionImpl::SetSingleDescID(const DescID* id)
{
  if (id)
    single_ = *id;
  else
    single_.reset();
}

const DescElement* DescriptionImpl::Find(const DescID& id) const
{
  for (const DescElement& element : elements_)
    if (element.id == id)
      return &element;
  return nullptr;
}

Bool BuildDescription(NodeCore& node, DescriptionImpl& description, const DescID* single)
{
  description.Clear();
  description.SetSingleDescID(single);
  DESCFLAGS_DESC flags = DESCFLAGS_DESC::NONE;
  Bool built = true;
  if (const NodeData* plugin = node.PluginData())
    built = plugin->GetDDescription(node.Api(), &description, flags);
  // What the plug-in added stays; the static elements are merged in place.
  if (!HasFlag(flags, DESCFLAGS_DESC::LOADED))
    built = description.LoadDescription(node.Type()) && built;
  return built;
}

} // namespace qhost
