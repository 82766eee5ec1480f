// Shared set-up of the description tests: the real module loaded once per
// process, and generators created the way the menu creates them.
#pragma once

#include "hostapi/api.h"
#include "host/core/node_core.h"
#include "source/oxrock_ids.h"

namespace qhost::test {

constexpr Int32 kGeneratorId = 1063355;
constexpr Int32 kGeneratorLayerCount = OXROCK_LAYER_COUNT;

// A Quorvane Maker object in its own document, prepared as from the menu.
class MenuGenerator
{
public:
  MenuGenerator();
  ~MenuGenerator();
  MenuGenerator(const MenuGenerator&) = delete;
  MenuGenerator& operator=(const MenuGenerator&) = delete;

  BaseObject* Object() const { return op_; }
  NodeCore& Node() const { return *Core(op_); }
  BaseContainer& Data() const { return *op_->GetDataInstance(); }
  Int32 LayerCount() const { return Data().GetInt32(OXROCK_LAYER_COUNT); }

private:
  BaseDocument* doc_ = nullptr;
  BaseObject* op_ = nullptr;
};

// A node of any type without a plug-in.
class BareNode final : public qhost::Node<RenderData>
{
public:
  explicit BareNode(Int32 type) : Node(NodeClass::RenderData, type) {}
};

// The ID of element offset (OXROCK_LAYER_*) of layer k.
constexpr DescID LayerDescId(Int32 k, Int32 offset) { return DescID(LayerParameterId(k, offset)); }

// The folder of the module under test.
inline constexpr const char* kModuleFolder = QV_BUILD_DIR "/plugins/quorvane";

} // namespace qhost::test
