// The host's Description: the element list a node shows in the attribute
// manager, filled from the static resource of its type and by the node's
// plug-in.
#pragma once

#include <optional>
#include <vector>

#include "hostapi/description.h"
#include "host/core/description_resource.h"
#include "host/core/node_core.h"

namespace qhost {

class DescriptionImpl final : public Description
{
public:
  DescriptionImpl() = default;
  ~DescriptionImpl() override = default;

  // Adds the static elements of type (in resource order), replacing elements
  // with the same ID in place; false when the type has no static description.
  Bool LoadDescription(Int32 type) override;
  Bool SetParameter(const DescID& id, const BaseContainer& settings, const DescID& parent) override;
  const DescID* GetSingleDescID() const override { return single_ ? &*single_ : nullptr; }
  const BaseContainer* GetParameter(const DescID& id) const override;

  // The element the asker wants alone, or null for all of them.
  void SetSingleDescID(const DescID* id);
  void Clear() { elements_.clear(); }

  const std::vector<DescElement>& Elements() const { return elements_; }
  const DescElement* Find(const DescID& id) const;

private:
  std::vector<DescElement> elements_;
  std::optional<DescID> single_;
};

// Fills description for node: the plug-in's GetDDescription when it has one,
// then the static description when the plug-in did not report it loaded.
// single limits the request to one element (null: all). False when the
// plug-in refuses or the static description is needed but missing.
Bool BuildDescription(NodeCore& node, DescriptionImpl& description, const DescID* single = nullptr);

} // namespace qhost
