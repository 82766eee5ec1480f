// Descriptions: the parameters a node shows in the attribute manager.
#pragma once

#include "hostapi/container.h"
#include "hostapi/desc_id.h"

class Description
{
public:
  // Loads the static description registered for a node type.
  virtual Bool LoadDescription(Int32 type) = 0;
  // Adds (or replaces) the element id with the settings under the group parent.
  virtual Bool SetParameter(const DescID& id, const BaseContainer& settings, const DescID& parent) = 0;
  // The single element the host asks for, or null when it wants them all.
  virtual const DescID* GetSingleDescID() const = 0;
  // The settings of an element, or null.
  virtual const BaseContainer* GetParameter(const DescID& id) const = 0;

protected:
  virtual ~Description() = default;
};

// Data of MSG_DESCRIPTION_COMMAND: the button that was pressed.
struct DescriptionCommand
{
  DescID _descId;
};

// The default settings container of a description element type (DTYPE_*).
BaseContainer GetCustomDataTypeDefault(Int32 type);
