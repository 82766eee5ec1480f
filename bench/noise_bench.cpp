// Time per sample of every noise type and of the free fractal functions,
// next to libnoise's Perlin, RidgedMulti and Voronoi at equal octaves.
// Quality figures: mean and standard deviation of the values produced.
#include <benchmark/benchmark.h>
#include <noise.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "host/noise/noise.h"

namespace {


constexpr Int32 kOctaves = 6;

const std::vector<Vector>& BenchPoints()
{
  static const std::vector<Vector> points = [] {
    std::vector<Vector> result;
    std::uint64_t state = 42;
    const auto unit = [&state] {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      return static_cast<Float>(state >> 11) * 0x1.0p-53;
    };
    for (Int32 i = 0; i < 4096; ++i)
      result.emplace_back(200.0 * unit() - 100.0, 200.0 * unit() - 100.0, 200.0 * unit() - 100.0);
    return result;
  }();
  return points;
}

// Runs `sample` over the point set and reports the value statistics.
template <class Sample>
void RunSamples(benchmark::State& state, Sample&& sample)
{
  const std::vector<Vector>& points = BenchPoints();
  std::size_t index = 0;
  Float sum = 0.0, sumSquares = 0.0;
  std::int64_t count = 0;
  for (auto _ : state)
  {
    const Float v = sample(points[index]);
    benchmark::DoNotOptimize(v);
    sum += v;
    sumSquares += v * v;
    ++count;
    index = (index + 1) & (points.size() - 1);
  }
  const Float n = static_cast<Float>(count);
  state.counters["mean"] = sum / n;
  state.counters["stddev"] = std::sqrt(std::max(0.0, sumSquares / n - (sum / n) * (sum / n)));
}

void BM_NoiseType(benchmark::State& state)
{
  const qhost::NoiseGenerator generator(1);
  const Int32 type = static_cast<Int32>(state.range(0));
  const Float octaves = static_cast<Float>(state.range(1));
  state.SetLabel(qhost::FindNoiseType(type)->label);
  RunSamples(state, [&](const Vector& p) {
    return generator.Noise(type, false, p, 0.0, octaves, false, 0.0, 0.0, 0);
  });
}
BENCHMARK(BM_NoiseType)->ArgsProduct({benchmark::CreateDenseRange(1, 33, 1), {kOctaves}});
BENCHMARK(BM_NoiseType)->Args({8, 1})->Args({21, 1});

void BM_NoiseFbmAnimatedTiled(benchmark::State& state)
{
  const qhost::NoiseGenerator generator(1);
  RunSamples(state, [&](const Vector& p) {
    return generator.Noise(8, false, p, 1.5, kOctaves, false, 0.01, 0.3, 16);
  });
}
BENCHMARK(BM_NoiseFbmAnimatedTiled);

void BM_RidgedMultifractal(benchmark::State& state)
{
  Float table[qhost::kFbmTableSize];
  qhost::InitFbm(table, qhost::kFbmTableSize - 1, 2.0, 1.0);
  RunSamples(state, [&](const Vector& p) { return qhost::RidgedMultifractal(table, p, kOctaves, 1.0, 2.0); });
}
BENCHMARK(BM_RidgedMultifractal);

void BM_Turbulence(benchmark::State& state)
{
  RunSamples(state, [](const Vector& p) { return qhost::Turbulence(p, kOctaves, true); });
}
BENCHMARK(BM_Turbulence);

void BM_SimpleNoise(benchmark::State& state)
{
  const qhost::NoiseGenerator generator(1);
  RunSamples(state, [&](const Vector& p) { return generator.SimpleNoise(p); });
}
BENCHMARK(BM_SimpleNoise);

void BM_LibnoisePerlin(benchmark::State& state)
{
  noise::module::Perlin perlin;
  perlin.SetOctaveCount(static_cast<int>(state.range(0)));
  RunSamples(state, [&](const Vector& p) { return perlin.GetValue(p.x, p.y, p.z); });
}
BENCHMARK(BM_LibnoisePerlin)->Arg(kOctaves)->Arg(1);

void BM_LibnoiseRidgedMulti(benchmark::State& state)
{
  noise::module::RidgedMulti ridged;
  ridged.SetOctaveCount(kOctaves);
  RunSamples(state, [&](const Vector& p) { return ridged.GetValue(p.x, p.y, p.z); });
}
BENCHMARK(BM_LibnoiseRidgedMulti);

void BM_LibnoiseVoronoi(benchmark::State& state)
{
  noise::module::Voronoi voronoi;
  voronoi.EnableDistance(true);
  RunSamples(state, [&](const Vector& p) { return voronoi.GetValue(p.x, p.y, p.z); });
}
BENCHMARK(BM_LibnoiseVoronoi);

}  // namespace

BENCHMARK_MAIN();
