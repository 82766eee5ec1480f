// The Quorvane Maker generator: subdivides its first child, displaces every
// point along its normal by a stack of noise layers and relaxes the result.
#pragma once

#include <vector>

#include "hostapi/api.h"
#include "noise_layer_settings.h"

class RockMaker : public ObjectData
{
public:
  static NodeData* Alloc();
  ~RockMaker() override;

  Bool Init(GeListNode* node, Bool isCloneInit) override;
  void Free(GeListNode* node) override;
  Bool Message(GeListNode* node, Int32 type, void* data) override;
  Bool GetDDescription(const GeListNode* node, Description* description, DESCFLAGS_DESC& flags) const override;
  Bool GetDEnabling(const GeListNode* node, const DescID& id, const GeData& tData, DESCFLAGS_ENABLE flags,
                    const BaseContainer* itemdesc) const override;
  void GetDimension(const BaseObject* op, Vector* mp, Vector* rad) const override;
  BaseObject* GetVirtualObjects(BaseObject* op, const HierarchyHelp* hh) override;

private:
  std::vector<NoiseLayerSettings> layers_;
};
