// Nodes with no behaviour beyond their parameters: render settings and tracks.
#pragma once

#include <functional>
#include <vector>

#include "host/core/node_core.h"

namespace qhost {

class RenderDataNode final : public Node<RenderData>
{
public:
  RenderDataNode() : Node(NodeClass::RenderData, Rbase) {}
};

class TrackNode final : public Node<CTrack>
{
public:
  explicit TrackNode(const DescID& id) : Node(NodeClass::Track, CTbase), descId_(id) {}

  DescID GetDescriptionID() const override { return descId_; }
  void TrackInformation(BaseDocument* doc, void* key, String* str, Bool set) override;
  Int32 GetKeyCount() const override { return Int32(keys_.size()); }
  void AddKey(Float time, Float value) override;
  void GetKey(Int32 index, Float* time, Float* value) const override;

protected:
  void CopyStateTo(NodeCore& dest) const override;

private:
  struct Key
  {
    Float time;
    Float value;
  };
  DescID descId_;
  std::vector<Key> keys_;
  String information_;
};

// The label a track of parameter id on owner is named after ("Strength",
// "Noise Scale . X"). The description family installs a resolver that knows
// dynamic descriptions; without one, static descriptions are used.
using TrackLabelResolver = std::function<String(const NodeCore& owner, const DescID& id)>;
void SetTrackLabelResolver(TrackLabelResolver resolver);
String TrackName(const NodeCore& owner, const DescID& id);

} // namespace qhost
