// Description IDs: a parameter is addressed by up to three levels (for example
// a vector parameter and one of its components).
#pragma once

#include <array>

#include "hostapi/types.h"

struct DescLevel
{
  Int32 id = 0;
  Int32 dtype = 0;
  Int32 creator = 0;

  constexpr DescLevel() = default;
  constexpr DescLevel(Int32 i) : id(i) {}
  constexpr DescLevel(Int32 i, Int32 t, Int32 c) : id(i), dtype(t), creator(c) {}
  // Levels are equal when their IDs are; the type and creator are informative.
  constexpr bool operator==(const DescLevel& o) const { return id == o.id; }
};

class DescID
{
public:
  static constexpr Int32 kMaxDepth = 3;

  constexpr DescID() = default;
  constexpr DescID(Int32 id) : depth_(1) { levels_[0] = DescLevel(id); }
  constexpr DescID(const DescLevel& a) : depth_(1) { levels_[0] = a; }
  constexpr DescID(const DescLevel& a, const DescLevel& b) : depth_(2)
  {
    levels_[0] = a;
    levels_[1] = b;
  }

  constexpr Int32 GetDepth() const { return depth_; }
  constexpr const DescLevel& operator[](Int32 i) const { return levels_[size_t(i)]; }
  constexpr void PushId(const DescLevel& l)
  {
    if (depth_ < kMaxDepth)
      levels_[size_t(depth_++)] = l;
  }

  // True when this ID's levels lead the levels of cmp, so that this element
  // contains (or is) what cmp addresses. pos receives the matched depth.
  constexpr Bool IsPartOf(const DescID& cmp, Int32* pos) const
  {
    if (depth_ == 0 || depth_ > cmp.depth_)
      return false;
    for (Int32 i = 0; i < depth_; ++i)
      if (!(levels_[size_t(i)] == cmp.levels_[size_t(i)]))
        return false;
    if (pos)
      *pos = depth_;
    return true;
  }

  constexpr bool operator==(const DescID& o) const
  {
    if (depth_ != o.depth_)
      return false;
    for (Int32 i = 0; i < depth_; ++i)
      if (!(levels_[size_t(i)] == o.levels_[size_t(i)]))
        return false;
    return true;
  }

private:
  std::array<DescLevel, kMaxDepth> levels_{};
  Int32 depth_ = 0;
};
