#include "host/noise/noise_services.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "host/noise/noise.h"

namespace qhost {
namespace {

// The API's RidgedMultifractal takes no generator, yet a plug-in that calls
// it inside the life of its GeNoise means that generator's seed. The host
// therefore keeps, per thread, the generators alive in allocation order, and
// the free function follows the newest one of the calling thread, or else
// the one forwarded from the thread that started the parallel loop it runs in.
class LiveGenerators
{
public:
  void Add(const NoiseGenerator* generator)
  {
    std::lock_guard lock(mutex_);
    live_.push_back({std::this_thread::get_id(), generator});
  }
  void Remove(const NoiseGenerator* generator)
  {
    std::lock_guard lock(mutex_);
    std::erase_if(live_, [&](const Entry& e) { return e.generator == generator; });
  }
  // The newest generator allocated on this thread and still alive, or null.
  const NoiseGenerator* NewestOnThisThread() const
  {
    const std::thread::id thread = std::this_thread::get_id();
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(live_.rbegin(), live_.rend(), [&](const Entry& e) { return e.thread == thread; });
    return found == live_.rend() ? nullptr : found->generator;
  }

private:
  struct Entry
  {
    std::thread::id thread;
    const NoiseGenerator* generator;
  };
  mutable std::mutex mutex_;
  std::vector<Entry> live_;
};

thread_local const NoiseGenerator* t_forwarded = nullptr;

LiveGenerators& Live()
{
  // Never destroyed: a generator may still be freed while statics go away.
  static LiveGenerators* const live = new LiveGenerators;
  return *live;
}

class HostNoise final : public GeNoise
{
public:
  explicit HostNoise(Int32 seed) : generator_(seed) { Live().Add(&generator_); }
  ~HostNoise() override { Live().Remove(&generator_); }

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

const NoiseGenerator* CurrentGenerator()
{
  const NoiseGenerator* own = Live().NewestOnThisThread();
  return own ? own : t_forwarded;
}

class NoiseServicesImpl final : public NoiseServices
{
public:
  GeNoise* AllocNoise(Int32 seed) override
  {
    // Nothing may be thrown across the API: no memory means no generator.
    try
    {
      return new HostNoise(seed);
    }
    catch (const std::bad_alloc&)
    {
      return nullptr;
    }
  }
  void FreeNoise(GeNoise* noise) override { delete static_cast<HostNoise*>(noise); }
  Bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h) override
  {
    return qhost::InitFbm(table, maxOctaves, lacunarity, h);
  }
  Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain) override
  {
    if (const NoiseGenerator* generator = CurrentGenerator())
      return generator->RidgedMultifractal(table, p, octaves, offset, gain);
    return qhost::RidgedMultifractal(table, p, octaves, offset, gain);
  }
  Float Turbulence(const Vector& p, Float octaves, Bool absolute) override
  {
    return qhost::Turbulence(p, octaves, absolute);
  }
};

} // namespace

void* ForwardedGenerator() { return const_cast<NoiseGenerator*>(CurrentGenerator()); }

void* InstallForwardedGenerator(void* generator)
{
  const NoiseGenerator* replaced = t_forwarded;
  t_forwarded = static_cast<const NoiseGenerator*>(generator);
  return const_cast<NoiseGenerator*>(replaced);
}

NoiseServices& NoiseServicesInstance()
{
  static NoiseServicesImpl services;
  return services;
}

} // namespace qhost
