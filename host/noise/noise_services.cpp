#include "host/noise/noise_services.h"

#include <new>

#include "host/noise/noise.h"

namespace qhost {
namespace {

class HostNoise final : public GeNoise
{
public:
  explicit HostNoise(Int32 seed) : generator_(seed) {}
  ~HostNoise() override = default;

  Bool InitFbm(Int32 maxOctaves, Float lacunarity, Float h) override
  {
    generator_.InitFbm(maxOctaves, lacunarity, h);
    return true;
  }
  Float Noise(Int32 type, Bool twoD, const Vector& p, Float time, Float octaves, Bool absolute, Float sampleRadius,
              Float detailAttenuation, Int32 repeat) const override
  {
    return generator_.Noise(type, twoD, p, time, octaves, absolute, sampleRadius, detailAttenuation, repeat);
  }
  Float SNoise(const Vector& p) const override { return generator_.SimpleNoise(p); }

private:
  NoiseGenerator generator_;
};

class NoiseServicesImpl final : public NoiseServices
{
public:
  GeNoise* AllocNoise(Int32 seed) override { return new (std::nothrow) HostNoise(seed); }
  void FreeNoise(GeNoise* noise) override { delete static_cast<HostNoise*>(noise); }
  Bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h) override
  {
    return qhost::InitFbm(table, maxOctaves, lacunarity, h);
  }
  Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain) override
  {
    return qhost::RidgedMultifractal(table, p, octaves, offset, gain);
  }
  Float Turbulence(const Vector& p, Float octaves, Bool absolute) override
  {
    return qhost::Turbulence(p, octaves, absolute);
  }
};

} // namespace

NoiseServices& NoiseServicesInstance()
{
  static NoiseServicesImpl services;
  return services;
}

} // namespace qhost
