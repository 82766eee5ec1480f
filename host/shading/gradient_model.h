// Colour gradients: an editable list of knots (GradientModel) and the flat,
// sorted evaluation form used per sample (GradientLookup).
#pragma once

#include <array>
#include <map>
#include <vector>

#include "hostapi/types.h"

namespace qhost {

// How the colour changes from a knot to the next knot to its right. The left
// knot of a segment decides; t is the bias-warped fraction across the segment.
constexpr Int32 kGradientNone = 0;       // step: hold the left knot's colour
constexpr Int32 kGradientLinear = 1;     // straight line
constexpr Int32 kGradientSmoothKnot = 2; // smoothstep 3t^2 - 2t^3, flat at both knots
constexpr Int32 kGradientExpUp = 3;      // exponential ease-in: slow start, fast finish
constexpr Int32 kGradientExpDown = 4;    // exponential ease-out: fast start, slow finish
constexpr Int32 kGradientCubicKnot = 5;  // Catmull-Rom style Hermite curve through all knots
constexpr Int32 kGradientBlend = 6;      // quintic smootherstep 6t^5 - 15t^4 + 10t^3, the default
// Codes outside 0..6 evaluate as kGradientBlend.

// Setting id: one interpolation for every segment, overriding the knots' own.
//   0 (or any value outside 1..7): each knot's own interpolation
//   1..6: that interpolation code for every segment
//   7: step (kGradientNone) for every segment; code 0 already means "per knot"
constexpr Int32 kGradientSettingInterpolation = 1002;
constexpr Int32 kGradientOverridePerKnot = 0;
constexpr Int32 kGradientOverrideStep = 7;

struct GradientKnot
{
  Vector color{1.0};
  Float brightness = 1.0; // multiplies the colour
  Float position = 0.0;   // 0..1; outside values are clamped when evaluating
  // Where the colour is halfway to the next knot's, as a fraction of the
  // segment; 0.5 keeps the interpolation unwarped.
  Float bias = 0.5;
  Int32 index = 0; // the caller's identifier, kept as given
  Int32 interpolation = kGradientBlend;

  bool operator==(const GradientKnot&) const = default;
};

// The editable gradient. Knots stay in insertion order ("slots"); evaluation
// sorts them by position.
class GradientModel
{
public:
  // Appends a knot and returns its slot.
  Int32 InsertKnot(const GradientKnot& knot);
  // Replaces the knot in a slot; false when the slot does not exist.
  bool SetKnot(Int32 slot, const GradientKnot& knot);
  // Removes the knot in a slot, shifting later slots down; false when absent.
  bool RemoveKnot(Int32 slot);
  // The knot in a slot, or nullptr when absent.
  const GradientKnot* GetKnot(Int32 slot) const;
  Int32 GetKnotCount() const { return static_cast<Int32>(knots_.size()); }

  void SetSetting(Int32 id, Int32 value) { settings_[id] = value; }
  // The stored value, or fallback when the setting was never set.
  Int32 GetSetting(Int32 id, Int32 fallback = 0) const;
  const std::map<Int32, Int32>& GetSettings() const { return settings_; }

  // Convenience for one-off queries; per-sample work should build a
  // GradientLookup once and evaluate that.
  Vector Evaluate(Float pos) const;

  bool operator==(const GradientModel&) const = default;

private:
  std::vector<GradientKnot> knots_;
  std::map<Int32, Int32> settings_;
};

// A gradient baked for evaluation: knots sorted by position with brightness
// folded into the colour and the interpolation override resolved. Up to
// kInlineKnots knots live inside the object, so building one for a typical
// gradient never touches the heap.
class GradientLookup
{
public:
  static constexpr Int32 kInlineKnots = 16;

  GradientLookup() = default; // empty: evaluates black
  explicit GradientLookup(const GradientModel& model);

  // Colour at pos: the first knot's colour below the first knot (and for NaN),
  // the last knot's colour above the last; black for an empty gradient.
  Vector Evaluate(Float pos) const;

  Int32 GetKnotCount() const { return count_; }

private:
  struct Entry
  {
    Float position = 0.0;
    Vector color;
    // Exponent that moves the segment's midpoint to the knot's bias; 1 = none.
    Float biasExponent = 1.0;
    Int32 interpolation = kGradientBlend;
    Int32 slot = 0; // tie-break so equal positions sort in insertion order
  };

  const Entry* Data() const { return count_ <= kInlineKnots ? inline_.data() : heap_.data(); }
  Vector EvaluateSegment(const Entry* knots, Int32 left, Float pos) const;

  std::array<Entry, kInlineKnots> inline_{};
  std::vector<Entry> heap_;
  Int32 count_ = 0;
};

} // namespace qhost
