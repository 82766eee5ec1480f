#include "host/shading/gradient_model.h"

#include <algorithm>
#include <cmath>

namespace qhost {

namespace {

// Steepness of the exponential eases: w(t) = (e^(k t) - 1) / (e^k - 1).
// At k = 4 the curve reaches about 12% of the way at the segment's middle.
constexpr Float kExpSharpness = 4.0;
// Biases at 0 or 1 would need an infinite or zero exponent.
constexpr Float kMinBias = 0.001;
constexpr Float kMaxBias = 0.999;

Float ClampPosition(Float position)
{
  return std::isnan(position) ? 0.0 : std::clamp(position, 0.0, 1.0);
}

// t^e passes through (bias, 0.5) when e = ln 0.5 / ln bias, which keeps the
// curve monotonic and smooth inside the segment.
Float BiasExponent(Float bias)
{
  if (std::isnan(bias) || bias == 0.5)
    return 1.0;
  return std::log(0.5) / std::log(std::clamp(bias, kMinBias, kMaxBias));
}

Int32 ResolveInterpolation(Int32 knotInterpolation, Int32 override)
{
  if (override >= kGradientLinear && override <= kGradientBlend)
    return override;
  if (override == kGradientOverrideStep)
    return kGradientNone;
  if (knotInterpolation < kGradientNone || knotInterpolation > kGradientBlend)
    return kGradientBlend;
  return knotInterpolation;
}

Float ExpUp(Float t)
{
  return std::expm1(kExpSharpness * t) / std::expm1(kExpSharpness);
}

Vector Lerp(const Vector& a, const Vector& b, Float w)
{
  return a + (b - a) * w;
}

} // namespace

Int32 GradientModel::InsertKnot(const GradientKnot& knot)
{
  knots_.push_back(knot);
  return GetKnotCount() - 1;
}

bool GradientModel::SetKnot(Int32 slot, const GradientKnot& knot)
{
  if (slot < 0 || slot >= GetKnotCount())
    return false;
  knots_[static_cast<size_t>(slot)] = knot;
  return true;
}

bool GradientModel::RemoveKnot(Int32 slot)
{
  if (slot < 0 || slot >= GetKnotCount())
    return false;
  knots_.erase(knots_.begin() + slot);
  return true;
}

const GradientKnot* GradientModel::GetKnot(Int32 slot) const
{
  if (slot < 0 || slot >= GetKnotCount())
    return nullptr;
  return &knots_[static_cast<size_t>(slot)];
}

Int32 GradientModel::GetSetting(Int32 id, Int32 fallback) const
{
  const auto it = settings_.find(id);
  return it == settings_.end() ? fallback : it->second;
}

Vector GradientModel::Evaluate(Float pos) const
{
  return GradientLookup(*this).Evaluate(pos);
}

GradientLookup::GradientLookup(const GradientModel& model) : count_(model.GetKnotCount())
{
  Entry* entries = inline_.data();
  if (count_ > kInlineKnots)
  {
    heap_.resize(static_cast<size_t>(count_));
    entries = heap_.data();
  }
  const Int32 override = model.GetSetting(kGradientSettingInterpolation, kGradientOverridePerKnot);
  for (Int32 slot = 0; slot < count_; ++slot)
  {
    const GradientKnot& knot = *model.GetKnot(slot);
    entries[slot] = Entry{ClampPosition(knot.position), knot.color * knot.brightness,
                          BiasExponent(knot.bias), ResolveInterpolation(knot.interpolation, override),
                          slot};
  }
  std::sort(entries, entries + count_, [](const Entry& a, const Entry& b) {
    return a.position < b.position || (a.position == b.position && a.slot < b.slot);
  });
}

Vector GradientLookup::Evaluate(Float pos) const
{
  if (count_ == 0)
    return Vector();
  const Entry* knots = Data();
  // Written as "not above" so that NaN lands here too.
  if (!(pos > knots[0].position))
    return knots[0].color;
  if (pos >= knots[count_ - 1].position)
    return knots[count_ - 1].color;
  const Entry* right = std::upper_bound(knots, knots + count_, pos,
                                        [](Float p, const Entry& e) { return p < e.position; });
  return EvaluateSegment(knots, static_cast<Int32>(right - knots) - 1, pos);
}

// pos lies in [knots[left].position, knots[left + 1].position), a segment of
// positive width.
Vector GradientLookup::EvaluateSegment(const Entry* knots, Int32 left, Float pos) const
{
  const Entry& a = knots[left];
  const Entry& b = knots[left + 1];
  if (a.interpolation == kGradientNone)
    return a.color;
  const Float width = b.position - a.position;
  Float t = (pos - a.position) / width;
  if (a.biasExponent != 1.0)
    t = std::pow(t, a.biasExponent);

  switch (a.interpolation)
  {
  case kGradientLinear:
    return Lerp(a.color, b.color, t);
  case kGradientSmoothKnot:
    return Lerp(a.color, b.color, t * t * (3.0 - 2.0 * t));
  case kGradientExpUp:
    return Lerp(a.color, b.color, ExpUp(t));
  case kGradientExpDown:
    return Lerp(a.color, b.color, 1.0 - ExpUp(1.0 - t));
  case kGradientCubicKnot:
  {
    // Hermite segment with Catmull-Rom tangents taken as central differences
    // over position, so unevenly spaced knots do not kink the curve; the end
    // knots use the one-sided difference. Linear data stays exactly linear.
    const Int32 last = count_ - 1;
    auto slope = [&](Int32 k) {
      const Int32 lo = std::max(k - 1, 0);
      const Int32 hi = std::min(k + 1, last);
      return (knots[hi].color - knots[lo].color) / (knots[hi].position - knots[lo].position);
    };
    const Float t2 = t * t;
    const Float t3 = t2 * t;
    const Float h00 = 2.0 * t3 - 3.0 * t2 + 1.0;
    const Float h10 = t3 - 2.0 * t2 + t;
    const Float h01 = -2.0 * t3 + 3.0 * t2;
    const Float h11 = t3 - t2;
    return a.color * h00 + slope(left) * (h10 * width) + b.color * h01 + slope(left + 1) * (h11 * width);
  }
  default: // kGradientBlend
    return Lerp(a.color, b.color, t * t * t * (t * (t * 6.0 - 15.0) + 10.0));
  }
}

} // namespace qhost
