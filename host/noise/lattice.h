// Seeded integer lattice behind every noise type: permutation, gradients,
// feature-point jitter and cell values, all in flat fixed-size tables.
#pragma once

#include <algorithm>
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

// A coordinate split into the table indices of its cell's two corners and
// the position inside the cell.
struct LatticeAxis
{
  UInt32 i0, i1;
  Float t;
};

class Lattice
{
public:
  static constexpr Int32 kSize = 256;

  explicit Lattice(Int32 seed);

  // Gradient noise in [-1,1], zero on every lattice point.
  Float Gradient(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Gradient(p, period, salt) for three salts at once, sharing the cell.
  Vector GradientTriple(const Vector& p, const LatticePeriod& period, UInt32 saltX, UInt32 saltY, UInt32 saltZ) const;
  // Value noise in [0,1] whose cells are flat plateaus joined by short ramps.
  Float Plateau(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // One constant value in [0,1) per lattice cell.
  Float CellValue(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Nearest and second nearest of one jittered feature point per cell.
  CellularSample Cellular(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Cellular(p, period, salt).f1 alone, bit for bit.
  Float NearestDistance(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // Sum of signed compact kernels, one impulse per cell; about [-2,2].
  Float SparseConvolution(const Vector& p, const LatticePeriod& period, UInt32 salt) const;
  // White noise in [0,1) per integer triple, full 32-bit mixing of the seed.
  Float HashValue(Int64 x, Int64 y, Int64 z) const;

  Float ValueOfHash(UInt32 hash) const { return value_[hash & (kSize - 1)]; }

private:
  // The feature points of the 3x3x3 block of cells around a sample, z
  // outermost and x innermost: each cell's hash and its point's squared
  // distance from the sample. Padded with one cell at kMaxFloat so the
  // search can go four at a time.
  struct NeighbourCells
  {
    static constexpr int kCount = 27;
    static constexpr int kPadded = 28;
    UInt32 hash[kPadded];
    alignas(16) Float distance[kPadded];
  };

  // A sample's cell: what gradient noise needs of it before the salt, which
  // only shifts the x index, is known.
  struct GradientCell
  {
    UInt32 x0, x1;  // wrapped x indices, salt not yet added
    LatticeAxis y, z;
    Float tx;
    Float u, v, w;  // fades
  };

  UInt32 Corner(UInt32 x, UInt32 y, UInt32 z) const { return perm_[perm_[perm_[x] + y] + z]; }
  static GradientCell FindGradientCell(const Vector& p, const LatticePeriod& period);
  Float GradientInCell(const GradientCell& cell, UInt32 salt) const;
  void FindNeighbourCells(const Vector& p, const LatticePeriod& period, UInt32 salt, NeighbourCells& cells) const;

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

// Quintic fade: C2 continuous joins between cells.
inline Float Fade(Float t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

inline Float Lerp(Float a, Float b, Float t) { return a + t * (b - a); }

// Two doubles in one SIMD register. Comparisons and arithmetic on a pair do
// in each lane exactly what the scalar operation does, so results stay
// bit-identical.
using FloatPair = Float __attribute__((vector_size(2 * sizeof(Float))));

inline LatticeAxis SplitAxis(Float x, Int64 period, UInt32 salt)
{
  const Int64 i = FloorToInt(x);
  return {TableIndex(i, period, salt), TableIndex(i + 1, period, salt), x - static_cast<Float>(i)};
}

// The kernels every fractal sums many times per sample live here and are
// forced inline into the octave loops (the compiler's size limit would keep
// them out of the larger ones), so neighbouring octaves overlap.

[[gnu::always_inline]] inline Lattice::GradientCell Lattice::FindGradientCell(const Vector& p,
                                                                          const LatticePeriod& period)
{
  const Int64 ix = FloorToInt(p.x);
  const LatticeAxis y = SplitAxis(p.y, period.y, 0);
  const LatticeAxis z = SplitAxis(p.z, period.z, 0);
  const Float tx = p.x - static_cast<Float>(ix);
  return {TableIndex(ix, period.x, 0), TableIndex(ix + 1, period.x, 0), y, z, tx, Fade(tx), Fade(y.t), Fade(z.t)};
}

[[gnu::always_inline]] inline Float Lattice::GradientInCell(const GradientCell& cell, UInt32 salt) const
{
  // Gradient noise with random unit gradients rarely exceeds 0.7 in practice
  // (the bound is sqrt(3)/2); this scale fills [-1,1] and clips only rare peaks.
  constexpr Float kGradientScale = 1.4;
  const LatticeAxis& ay = cell.y;
  const LatticeAxis& az = cell.z;
  const auto dot = [this](UInt32 hash, Float dx, Float dy, Float dz) {
    const Float* g = &gradient_[3 * hash];
    return g[0] * dx + g[1] * dy + g[2] * dz;
  };
  const UInt32 a0 = perm_[(cell.x0 + salt) & (kSize - 1)], a1 = perm_[(cell.x1 + salt) & (kSize - 1)];
  const UInt32 b00 = perm_[a0 + ay.i0], b01 = perm_[a0 + ay.i1];
  const UInt32 b10 = perm_[a1 + ay.i0], b11 = perm_[a1 + ay.i1];
  const Float x0 = cell.tx, x1 = cell.tx - 1.0, y0 = ay.t, y1 = ay.t - 1.0, z0 = az.t, z1 = az.t - 1.0;
  const Float u = cell.u, v = cell.v, w = cell.w;
  const Float near = Lerp(Lerp(dot(perm_[b00 + az.i0], x0, y0, z0), dot(perm_[b10 + az.i0], x1, y0, z0), u),
                          Lerp(dot(perm_[b01 + az.i0], x0, y1, z0), dot(perm_[b11 + az.i0], x1, y1, z0), u), v);
  const Float far = Lerp(Lerp(dot(perm_[b00 + az.i1], x0, y0, z1), dot(perm_[b10 + az.i1], x1, y0, z1), u),
                         Lerp(dot(perm_[b01 + az.i1], x0, y1, z1), dot(perm_[b11 + az.i1], x1, y1, z1), u), v);
  return std::clamp(kGradientScale * Lerp(near, far, w), -1.0, 1.0);
}

[[gnu::always_inline]] inline Float Lattice::Gradient(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  return GradientInCell(FindGradientCell(p, period), salt);
}

[[gnu::always_inline]] inline Vector Lattice::GradientTriple(const Vector& p, const LatticePeriod& period, UInt32 saltX,
                                                             UInt32 saltY, UInt32 saltZ) const
{
  const GradientCell cell = FindGradientCell(p, period);
  return {GradientInCell(cell, saltX), GradientInCell(cell, saltY), GradientInCell(cell, saltZ)};
}

[[gnu::always_inline]] inline CellularSample Lattice::Cellular(const Vector& p, const LatticePeriod& period,
                                                               UInt32 salt) const
{
  NeighbourCells cells;
  FindNeighbourCells(p, period, salt, cells);
  // The nearest two are the two smallest distances whatever order they are
  // met in, so four lanes each keep their own nearest two, without branches,
  // and are merged at the end; comparisons are exact, so the values are the
  // same as from one pass in order.
  const auto smallestTwo = [](FloatPair& d1, FloatPair& d2, FloatPair d) {
    d2 = d2 < d ? d2 : (d < d1 ? d1 : d);
    d1 = d < d1 ? d : d1;
  };
  constexpr FloatPair kFar{kMaxFloat, kMaxFloat};
  FloatPair a1 = kFar, a2 = kFar, b1 = kFar, b2 = kFar;
  for (int n = 0; n < NeighbourCells::kPadded; n += 4)
  {
    smallestTwo(a1, a2, FloatPair{cells.distance[n], cells.distance[n + 1]});
    smallestTwo(b1, b2, FloatPair{cells.distance[n + 2], cells.distance[n + 3]});
  }
  smallestTwo(a1, a2, b1);
  a2 = a2 < b2 ? a2 : b2;
  const Float d1 = std::min(a1[0], a1[1]);
  const Float d2 = std::min(std::max(a1[0], a1[1]), std::min(a2[0], a2[1]));
  // The first cell at the nearest distance names the sample's cell.
  int first = 0;
  while (cells.distance[first] != d1)
    ++first;
  return {std::sqrt(d1), std::sqrt(d2), cells.hash[first]};
}

[[gnu::always_inline]] inline Float Lattice::NearestDistance(const Vector& p, const LatticePeriod& period,
                                                             UInt32 salt) const
{
  NeighbourCells cells;
  FindNeighbourCells(p, period, salt, cells);
  // The smallest distance, four lanes at a time: exact, so in any order.
  const auto nearer = [](FloatPair a, FloatPair b) { return b < a ? b : a; };
  FloatPair a{kMaxFloat, kMaxFloat}, b = a;
  for (int n = 0; n < NeighbourCells::kPadded; n += 4)
  {
    a = nearer(a, FloatPair{cells.distance[n], cells.distance[n + 1]});
    b = nearer(b, FloatPair{cells.distance[n + 2], cells.distance[n + 3]});
  }
  a = nearer(a, b);
  return std::sqrt(std::min(a[0], a[1]));
}

}  // namespace qhost::noise
