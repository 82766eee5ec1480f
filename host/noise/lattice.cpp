#include "host/noise/lattice.h"

#include <algorithm>
#include <cstdint>

namespace qhost::noise {
namespace {

// Gradient noise with random unit gradients rarely exceeds 0.7 in practice
// (the bound is sqrt(3)/2); this scale fills [-1,1] and clips only rare peaks.
constexpr Float kGradientScale = 1.4;
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

// Quintic fade: C2 continuous joins between cells.
Float Fade(Float t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

// Flat for most of the cell, a short quintic ramp around the border.
Float PlateauFade(Float t)
{
  constexpr Float kRampStart = 0.35;
  constexpr Float kRampWidth = 0.3;
  return Fade(std::clamp((t - kRampStart) / kRampWidth, 0.0, 1.0));
}

Float Lerp(Float a, Float b, Float t) { return a + t * (b - a); }

struct Axis
{
  UInt32 i0, i1;  // table indices of the two corners
  Float t;        // position inside the cell
};

Axis SplitAxis(Float x, Int64 period, UInt32 salt)
{
  const Int64 i = FloorToInt(x);
  return {TableIndex(i, period, salt), TableIndex(i + 1, period, salt), x - static_cast<Float>(i)};
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

Float Lattice::Gradient(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  const Axis ax = SplitAxis(p.x, period.x, salt);
  const Axis ay = SplitAxis(p.y, period.y, 0);
  const Axis az = SplitAxis(p.z, period.z, 0);
  const auto dot = [this](UInt32 hash, Float dx, Float dy, Float dz) {
    const Float* g = &gradient_[3 * hash];
    return g[0] * dx + g[1] * dy + g[2] * dz;
  };
  const UInt32 a0 = perm_[ax.i0], a1 = perm_[ax.i1];
  const UInt32 b00 = perm_[a0 + ay.i0], b01 = perm_[a0 + ay.i1];
  const UInt32 b10 = perm_[a1 + ay.i0], b11 = perm_[a1 + ay.i1];
  const Float x0 = ax.t, x1 = ax.t - 1.0, y0 = ay.t, y1 = ay.t - 1.0, z0 = az.t, z1 = az.t - 1.0;
  const Float u = Fade(ax.t), v = Fade(ay.t), w = Fade(az.t);
  const Float near = Lerp(Lerp(dot(perm_[b00 + az.i0], x0, y0, z0), dot(perm_[b10 + az.i0], x1, y0, z0), u),
                          Lerp(dot(perm_[b01 + az.i0], x0, y1, z0), dot(perm_[b11 + az.i0], x1, y1, z0), u), v);
  const Float far = Lerp(Lerp(dot(perm_[b00 + az.i1], x0, y0, z1), dot(perm_[b10 + az.i1], x1, y0, z1), u),
                         Lerp(dot(perm_[b01 + az.i1], x0, y1, z1), dot(perm_[b11 + az.i1], x1, y1, z1), u), v);
  return std::clamp(kGradientScale * Lerp(near, far, w), -1.0, 1.0);
}

Float Lattice::Plateau(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  const Axis ax = SplitAxis(p.x, period.x, salt);
  const Axis ay = SplitAxis(p.y, period.y, 0);
  const Axis az = SplitAxis(p.z, period.z, 0);
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
  const Axis ax = SplitAxis(p.x, period.x, salt);
  const Axis ay = SplitAxis(p.y, period.y, 0);
  const Axis az = SplitAxis(p.z, period.z, 0);
  return value_[Corner(ax.i0, ay.i0, az.i0)];
}

template <typename Visit>
void Lattice::ForEachNeighbourImpulse(const Vector& p, const LatticePeriod& period, UInt32 salt, Visit&& visit) const
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
  for (int dz = -1; dz <= 1; ++dz)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
      {
        const UInt32 hash = Corner(tx[dx + 1], ty[dy + 1], tz[dz + 1]);
        const Float* j = Jitter(hash);
        visit(hash, static_cast<Float>(dx) + j[0] - fx, static_cast<Float>(dy) + j[1] - fy,
              static_cast<Float>(dz) + j[2] - fz);
      }
}

CellularSample Lattice::Cellular(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  Float d1 = kMaxFloat, d2 = kMaxFloat;
  UInt32 nearest = 0;
  ForEachNeighbourImpulse(p, period, salt, [&](UInt32 hash, Float ox, Float oy, Float oz) {
    const Float d = ox * ox + oy * oy + oz * oz;
    if (d < d1)
    {
      d2 = d1;
      d1 = d;
      nearest = hash;
    }
    else if (d < d2)
    {
      d2 = d;
    }
  });
  return {std::sqrt(d1), std::sqrt(d2), nearest};
}

Float Lattice::SparseConvolution(const Vector& p, const LatticePeriod& period, UInt32 salt) const
{
  Float sum = 0.0;
  ForEachNeighbourImpulse(p, period, salt, [&](UInt32 hash, Float ox, Float oy, Float oz) {
    // Kernels reach one cell, so every impulse touching the point lies in
    // its 3x3x3 neighbourhood and the sum is exact.
    const Float r2 = ox * ox + oy * oy + oz * oz;
    if (r2 < 1.0)
    {
      const Float k = 1.0 - r2;
      // The weight comes from a different table slot than the position.
      const Float weight = 2.0 * value_[(hash * 37u + 11u) & (kSize - 1)] - 1.0;
      sum += weight * k * k * k;
    }
  });
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
