// The host's Gradient custom data type: an editable GradientModel plus a
// prepared lookup that render threads share.
//
// Every edit builds a new GradientRenderData (a flat GradientLookup) and drops
// the gradient's own reference to the old one; whoever still holds the old
// reference keeps it alive until they let go. PrepareRenderData therefore only
// increments a reference count: no heap, no lock, safe from many threads.
#pragma once

#include <atomic>

#include "hostapi/host_interface.h"
#include "host/core/node_factory.h"
#include "host/shading/gradient_model.h"

namespace qhost {

// A gradient baked for sampling, shared by reference count. Starts with one
// reference, owned by whoever made it.
class SharedGradientLookup final : public GradientRenderData
{
public:
  explicit SharedGradientLookup(const GradientModel& model) : lookup_(model) {}

  Vector CalcGradientPixel(Float pos) const override { return lookup_.Evaluate(pos); }
  void AddReference() const override;
  void RemoveReference() const override;
  Int32 ReferenceCount() const { return references_.load(std::memory_order_acquire); }

private:
  ~SharedGradientLookup() override = default;

  GradientLookup lookup_;
  mutable std::atomic<Int32> references_{1};
};

class HostGradient final : public Gradient
{
public:
  HostGradient();
  explicit HostGradient(const GradientModel& model);
  HostGradient(const HostGradient& other);
  HostGradient& operator=(const HostGradient&) = delete;
  ~HostGradient() override;

  // CustomDataType
  Int32 GetCustomDataTypeId() const override { return CUSTOMDATATYPE_GRADIENT; }
  CustomDataType* Clone() const override;
  Bool IsEqual(const CustomDataType& other) const override;

  // Gradient
  Int32 InsertKnot(const ::GradientKnot& knot) override;
  Int32 GetKnotCount() const override { return model_.GetKnotCount(); }
  ::GradientKnot GetKnot(Int32 index) const override;
  void SetKnot(Int32 index, const ::GradientKnot& knot) override;
  Bool RemoveKnot(Int32 index) override;
  // Settings are whole numbers; GRADIENT_MODE overrides every knot's
  // interpolation (see kGradientSettingInterpolation).
  Bool SetData(Int32 id, const GeData& value) override;
  GeData GetData(Int32 id) const override;
  Result<GradientRenderDataRef> PrepareRenderData(const InitRenderStruct& irs) const override;

  const GradientModel& Model() const { return model_; }
  // The lookup PrepareRenderData currently hands out (for tests of sharing).
  const SharedGradientLookup* CurrentLookup() const { return prepared_; }

private:
  // Replaces the prepared lookup after an edit.
  void Rebuild();

  GradientModel model_;
  const SharedGradientLookup* prepared_ = nullptr;
};

// A black-to-white ramp (linear, black at 0, white at 1), with a reference the
// process keeps forever: what a sample uses when a gradient hands back no data.
const GradientRenderData* DefaultGradientLookup();

void RegisterGradientType(NodeFactory& factory);

} // namespace qhost
