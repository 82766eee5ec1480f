#include "host/core/simple_nodes.h"

#include <algorithm>

#include "host/core/node_factory.h"

namespace qhost {
namespace {

TrackLabelResolver& Resolver()
{
  static TrackLabelResolver resolver;
  return resolver;
}

String StaticLabel(const NodeCore& owner, const DescID& id)
{
  const DescriptionResource* description = NodeFactory::Instance().FindDescription(owner.Type());
  const DescElement* element = description ? description->Find(id) : nullptr;
  return element ? element->settings.GetString(DESC_NAME) : "Parameter " + std::to_string(id[0].id);
}

const char* ComponentSuffix(Int32 componentId)
{
  switch (componentId)
  {
    case 1000: return " . X";
    case 1001: return " . Y";
    case 1002: return " . Z";
    default: return "";
  }
}

} // namespace

void TrackNode::TrackInformation(BaseDocument*, void*, String* str, Bool set)
{
  if (!str)
    return;
  if (set)
  {
    information_ = *str;
    return;
  }
  *str = information_.empty() ? name + " (" + std::to_string(keys_.size()) + " keys)" : information_;
}

void TrackNode::AddKey(Float time, Float value)
{
  const auto at = std::lower_bound(keys_.begin(), keys_.end(), time, [](const Key& k, Float t) { return k.time < t; });
  if (at != keys_.end() && at->time == time)
    at->value = value;
  else
    keys_.insert(at, Key{time, value});
  SetDirty(DIRTYFLAGS_DATA);
}

void TrackNode::GetKey(Int32 index, Float* time, Float* value) const
{
  if (index < 0 || index >= Int32(keys_.size()))
    return;
  if (time)
    *time = keys_[size_t(index)].time;
  if (value)
    *value = keys_[size_t(index)].value;
}

void TrackNode::CopyStateTo(NodeCore& dest) const
{
  auto& track = static_cast<TrackNode&>(dest);
  track.descId_ = descId_;
  track.keys_ = keys_;
  track.information_ = information_;
}

void SetTrackLabelResolver(TrackLabelResolver resolver) { Resolver() = std::move(resolver); }

String TrackName(const NodeCore& owner, const DescID& id)
{
  const DescID parameter(id[0]);
  String label = Resolver() ? Resolver()(owner, parameter) : StaticLabel(owner, parameter);
  if (id.GetDepth() > 1)
    label += ComponentSuffix(id[1].id);
  return label;
}

} // namespace qhost
