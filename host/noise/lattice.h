// Seeded integer lattice behind every noise type: permutation, gradients,
// feature-point jitter and cell values, all in flat fixed-size tables.
#pragma once

#include <array>
#include <cmath>

#include "hostapi/types.h"

namespace qhost::noise {

// Lattice period per axis in cells; 0 means "not tiling" (tables then wrap
// every 256 cells on their own).
struct LatticePeriod
{
  Int64 x = 0, y = 0, z = 0;
};

struct CellularSample
{
  Float f1;         // distance to the nearest feature point
  Float f2;         // distance to the second nearest
  UInt32 nearest;   // hash of the nearest point's cell, stable inside a cell
};

class Lattice
{
public:
  static constexpr Int32 kSize = 256;

  explicit Lattice(Int32 seed);

  // Gradient noise in [-1,1], zero on every lattice point.
  Float Gradient(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Value noise in [0,1] whose cells are flat plateaus joined by short ramps.
  Float Plateau(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // One constant value in [0,1) per lattice cell.
  Float CellValue(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Nearest and second nearest of one jittered feature point per cell.
  CellularSample Cellular(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Sum of signed compact kernels, one impulse per cell; about [-2,2].
  Float SparseConvolution(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // White noise in [0,1) per integer triple, full 32-bit mixing of the seed.
  Float HashValue(Int64 x, Int64 y, Int64 z) const;

  Float ValueOfHash(UInt32 hash) const { return value_[hash & (kSize - 1)]; }

private:
  UInt32 Corner(UInt32 x, UInt32 y, UInt32 z) const { return perm_[perm_[perm_[x] + y] + z]; }
  const Float* Jitter(UInt32 hash) const { return &jitter_[3 * hash]; }
  // Calls visit(hash, ox, oy, oz) for the feature point of each cell of the
  // 3x3x3 block around p, with its offset from p, z outermost and x innermost.
  template <typename Visit>
  void ForEachNeighbourImpulse(const Vector& p, const LatticePeriod& period, UInt32 salt, Visit&& visit) const;

  std::array<UInt32, 2 * kSize> perm_{};
  std::array<Float, 3 * kSize> gradient_{};
  std::array<Float, 3 * kSize> jitter_{};
  std::array<Float, kSize> value_{};
  UInt32 seedMix_ = 0;
};

// floor() as an integer without a libm call; lattice coordinates stay far
// inside the Int64 range because every caller wraps its input first.
inline Int64 FloorToInt(Float x)
{
  const Int64 i = static_cast<Int64>(x);
  return x < static_cast<Float>(i) ? i - 1 : i;
}

// Wraps a lattice index into [0,period) when tiling and then into the table.
inline UInt32 TableIndex(Int64 i, Int64 period, UInt32 salt)
{
  if (period > 0)
  {
    i %= period;
    if (i < 0)
      i += period;
  }
  return (static_cast<UInt32>(i) + salt) & (Lattice::kSize - 1);
}

}  // namespace qhost::noise
