#include "host/shading/host_gradient.h"

#include <new>

namespace qhost {
namespace {

qhost::GradientKnot ToModelKnot(const ::GradientKnot& k)
{
  qhost::GradientKnot knot;
  knot.color = k.col;
  knot.brightness = k.brightness;
  knot.position = k.pos;
  knot.bias = k.bias;
  knot.index = k.index;
  knot.interpolation = static_cast<Int32>(k.interpolation);
  return knot;
}

::GradientKnot ToApiKnot(const qhost::GradientKnot& k)
{
  ::GradientKnot knot;
  knot.col = k.color;
  knot.brightness = k.brightness;
  knot.pos = k.position;
  knot.bias = k.bias;
  knot.index = k.index;
  knot.interpolation = static_cast<GRADIENT_INTERPOLATION_TYPE>(k.interpolation);
  return knot;
}

} // namespace

void SharedGradientLookup::AddReference() const { references_.fetch_add(1, std::memory_order_relaxed); }

void SharedGradientLookup::RemoveReference() const
{
  // acq_rel: the last holder must see every other holder's reads finished
  // before the lookup goes away.
  if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1)
    delete this;
}

HostGradient::HostGradient() : prepared_(new SharedGradientLookup(model_)) {}

HostGradient::HostGradient(const GradientModel& model) : model_(model), prepared_(new SharedGradientLookup(model_)) {}

// A copy shares the original's lookup until either side is edited.
HostGradient::HostGradient(const HostGradient& other) : Gradient(), model_(other.model_), prepared_(other.prepared_)
{
  prepared_->AddReference();
}

HostGradient::~HostGradient() { prepared_->RemoveReference(); }

CustomDataType* HostGradient::Clone() const { return new (std::nothrow) HostGradient(*this); }

Bool HostGradient::IsEqual(const CustomDataType& other) const
{
  const auto* gradient = dynamic_cast<const HostGradient*>(&other);
  return gradient && gradient->model_ == model_;
}

void HostGradient::Rebuild()
{
  const SharedGradientLookup* old = prepared_;
  prepared_ = new SharedGradientLookup(model_);
  old->RemoveReference();
}

Int32 HostGradient::InsertKnot(const ::GradientKnot& knot)
{
  const Int32 slot = model_.InsertKnot(ToModelKnot(knot));
  Rebuild();
  return slot;
}

::GradientKnot HostGradient::GetKnot(Int32 index) const
{
  const qhost::GradientKnot* knot = model_.GetKnot(index);
  return knot ? ToApiKnot(*knot) : ::GradientKnot{};
}

void HostGradient::SetKnot(Int32 index, const ::GradientKnot& knot)
{
  if (model_.SetKnot(index, ToModelKnot(knot)))
    Rebuild();
}

Bool HostGradient::RemoveKnot(Int32 index)
{
  if (!model_.RemoveKnot(index))
    return false;
  Rebuild();
  return true;
}

Bool HostGradient::SetData(Int32 id, const GeData& value)
{
  if (value.GetType() != DA_LONG && value.GetType() != DA_REAL)
    return false;
  model_.SetSetting(id, value.GetInt32());
  Rebuild();
  return true;
}

GeData HostGradient::GetData(Int32 id) const
{
  const auto& settings = model_.GetSettings();
  const auto it = settings.find(id);
  return it == settings.end() ? GeData() : GeData(it->second);
}

Result<GradientRenderDataRef> HostGradient::PrepareRenderData(const InitRenderStruct&) const
{
  prepared_->AddReference();
  return GradientRenderDataRef(prepared_);
}

const GradientRenderData* DefaultGradientLookup()
{
  static const SharedGradientLookup* const ramp = [] {
    GradientModel model;
    qhost::GradientKnot black;
    black.color = Vector(0.0);
    black.position = 0.0;
    black.interpolation = kGradientLinear;
    qhost::GradientKnot white = black;
    white.color = Vector(1.0);
    white.position = 1.0;
    model.InsertKnot(black);
    model.InsertKnot(white);
    return new SharedGradientLookup(model);
  }();
  return ramp;
}

void RegisterGradientType(NodeFactory& factory)
{
  factory.RegisterCustomData(CUSTOMDATATYPE_GRADIENT, [] { return new (std::nothrow) HostGradient(); });
}

} // namespace qhost
