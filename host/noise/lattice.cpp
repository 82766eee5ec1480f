#include "host/noise/lattice.h"

#include <algorithm>
#include <cstdint>

namespace qhost::noise {
namespace {

// Feature points stay inside [margin, 1-margin] of their cell so a 3x3x3
// neighbourhood holds the two nearest points in practice.
constexpr Float kJitterMargin = 0.1;

// SplitMix64: a small, well-mixed generator that is identical on every build.
class SeedSequence
{
public:
  explicit SeedSequence(Int32 seed) : state_(static_cast<std::uint64_t>(static_cast<UInt32>(seed)) * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

  std::uint64_t Next()
  {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0,1) from the top 53 bits.
  Float Unit() { return static_cast<Float>(Next() >> 11) * 0x1.0p-53; }
  UInt32 Below(UInt32 n) { return static_cast<UInt32>(Next() % n); }

private:
  std::uint64_t state_;
};

UInt32 Mix32(UInt32 x)
{
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

// Flat for most of the cell, a short quintic ramp around the border.
Float PlateauFade(Float t)
{
  constexpr Float kRampStart = 0.35;
  constexpr Float kRampWidth = 0.3;
  return Fade(std::clamp((t - kRampStart) / kRampWidth, 0.0, 1.0));
}

}  // namespace

Lattice::Lattice(Int32 seed)
{
  SeedSequence random(seed);
  seedMix_ = static_cast<UInt32>(random.Next() >> 32);
  for (Int32 i = 0; i < kSize; ++i)
    perm_[i] = static_cast<UInt32>(i);
  for (Int32 i = kSize - 1; i > 0; --i)
    std::swap(perm_[i], perm_[random.Below(static_cast<UInt32>(i + 1))]);
  std::copy_n(perm_.begin(), kSize, perm_.begin() + kSize);

  for (Int32 i = 0; i < kSize; ++i)
  {
    // Rejection sampling inside the unit ball gives uniformly spread directions.
    Vector g;
    Float lengthSquared = 0.0;
    do
    {
      g = {2.0 * random.Unit() - 1.0, 2.0 * random.Unit() - 1.0, 2.0 * random.Unit() - 1.0};
      lengthSquared = g.GetSquaredLength();
    } while (lengthSquared > 1.0 || lengthSquared < 1e-4);
    g = g / std::sqrt(lengthSquared);
    gradient_[3 * i] = g.x;
    gradient_[3 * i + 1] = g.y;
    gradient_[3 * i + 2] = g.z;
    for (Int32 axis = 0; axis < 3; ++axis)
      jitter_[3 * i + axis] = kJitterMargin + (1.0 - 2.0 * kJitterMargin) * random.Unit();
    value_[i] = random.Unit();
  }
}

Float Lattice::Plateau(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  const LatticeAxis ax = SplitAxis(p.x, period.x, salt);
  const LatticeAxis ay = SplitAxis(p.y, period.y, 0);
  const LatticeAxis az = SplitAxis(p.z, period.z, 0);
  const auto value = [this](UInt32 x, UInt32 y, UInt32 z) { return value_[Corner(x, y, z)]; };
  const Float u = PlateauFade(ax.t), v = PlateauFade(ay.t), w = PlateauFade(az.t);
  const Float near = Lerp(Lerp(value(ax.i0, ay.i0, az.i0), value(ax.i1, ay.i0, az.i0), u),
                          Lerp(value(ax.i0, ay.i1, az.i0), value(ax.i1, ay.i1, az.i0), u), v);
  const Float far = Lerp(Lerp(value(ax.i0, ay.i0, az.i1), value(ax.i1, ay.i0, az.i1), u),
                         Lerp(value(ax.i0, ay.i1, az.i1), value(ax.i1, ay.i1, az.i1), u), v);
  return Lerp(near, far, w);
}

Float Lattice::CellValue(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  const LatticeAxis ax = SplitAxis(p.x, period.x, salt);
  const LatticeAxis ay = SplitAxis(p.y, period.y, 0);
  const LatticeAxis az = SplitAxis(p.z, period.z, 0);
  return value_[Corner(ax.i0, ay.i0, az.i0)];
}

void Lattice::FindNeighbourCells(const Vector& p, const LatticePeriod& period, UInt32 salt, NeighbourCells& cells) const
{
  const Int64 ix = FloorToInt(p.x), iy = FloorToInt(p.y), iz = FloorToInt(p.z);
  // Offsets from the sample to its own cell's corner keep the arithmetic small.
  const Float fx = p.x - static_cast<Float>(ix), fy = p.y - static_cast<Float>(iy), fz = p.z - static_cast<Float>(iz);
  // The three table indices per axis are wrapped once, not once per neighbour.
  UInt32 tx[3], ty[3], tz[3];
  for (Int64 d = -1; d <= 1; ++d)
  {
    tx[d + 1] = TableIndex(ix + d, period.x, salt);
    ty[d + 1] = TableIndex(iy + d, period.y, 0);
    tz[d + 1] = TableIndex(iz + d, period.z, 0);
  }
  // The permutation is walked once per x and per (x, y) rather than three
  // levels deep for every cell.
  UInt32 byX[3], byXY[3][3];
  for (int x = 0; x < 3; ++x)
    byX[x] = perm_[tx[x]];
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      byXY[y][x] = perm_[byX[x] + ty[y]];
  int n = 0;
  for (int z = 0; z < 3; ++z)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x, ++n)
      {
        const UInt32 hash = perm_[byXY[y][x] + tz[z]];
        const Float* jitter = &jitter_[3 * hash];
        const Float ox = static_cast<Float>(x - 1) + jitter[0] - fx;
        const Float oy = static_cast<Float>(y - 1) + jitter[1] - fy;
        const Float oz = static_cast<Float>(z - 1) + jitter[2] - fz;
        cells.hash[n] = hash;
        cells.distance[n] = ox * ox + oy * oy + oz * oz;
      }
  cells.hash[n] = 0;
  cells.distance[n] = kMaxFloat;
}

Float Lattice::SparseConvolution(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  NeighbourCells cells;
  FindNeighbourCells(p, period, salt, cells);
  Float sum = 0.0;
  for (int n = 0; n < NeighbourCells::kCount; ++n)
  {
    // Kernels reach one cell, so every impulse touching the point lies in
    // its 3x3x3 neighbourhood and the sum is exact.
    const Float r2 = cells.distance[n];
    if (r2 < 1.0)
    {
      const Float k = 1.0 - r2;
      // The weight comes from a different table slot than the position.
      const Float weight = 2.0 * value_[(cells.hash[n] * 37u + 11u) & (kSize - 1)] - 1.0;
      sum += weight * k * k * k;
    }
  }
  return sum;
}

Float Lattice::HashValue(Int64 x, Int64 y, Int64 z) const
{
  UInt32 h = seedMix_;
  h = Mix32(h ^ static_cast<UInt32>(x));
  h = Mix32(h ^ static_cast<UInt32>(static_cast<std::uint64_t>(x) >> 32) ^ static_cast<UInt32>(y));
  h = Mix32(h ^ static_cast<UInt32>(static_cast<std::uint64_t>(y) >> 32) ^ static_cast<UInt32>(z));
  h = Mix32(h ^ static_cast<UInt32>(static_cast<std::uint64_t>(z) >> 32));
  return static_cast<Float>(h) * 0x1.0p-32;
}

}  // namespace qhost::noise
