// The Quorvane shader per sample, against the floor of its design: the two host
// noise-shader samples it cannot do without; and the bake from one thread to all.
//
//   shader_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <thread>

#include "host/runtime/host.h"
#include "host/bake/texture_bake.h"

namespace {

constexpr Int32 kQuorvaneShader = 1065197;

void EnsureModule()
{
  static const bool loaded = [] {
    qhost::Host::Instance().LoadModule(QV_BUILD_DIR "/plugins/quorvane/quorvane.dud64");
    return true;
  }();
  (void)loaded;
}

BaseShader* NoiseShader(Int32 type, Float scale, Float octaves, Int32 seed)
{
  BaseShader* s = BaseShader::Alloc(Xnoise);
  BaseContainer& bc = *s->GetDataInstance();
  bc.SetInt32(SLA_NOISE_NOISE, SLA_NOISE_TYPE_BASE + type);
  bc.SetFloat(SLA_NOISE_GLOBAL_SCALE, scale);
  bc.SetFloat(SLA_NOISE_OCTAVES, octaves);
  bc.SetInt32(SLA_NOISE_SPACE, SLA_NOISE_SPACE_UV);
  bc.SetInt32(SLA_NOISE_SEED, seed);
  return s;
}

// Sample positions spread over the UV square.
ChannelData At(int64_t i)
{
  ChannelData cd;
  cd.p = Vector(double(i % 1024) / 1024.0, double((i / 1024) % 1024) / 1024.0, 0.0);
  return cd;
}

void BM_QuorvaneOutput(benchmark::State& state)
{
  EnsureModule();
  BaseShader* shader = BaseShader::Alloc(kQuorvaneShader);
  shader->InitRender(InitRenderStruct());
  int64_t i = 0;
  for (auto _ : state)
  {
    ChannelData cd = At(i++);
    benchmark::DoNotOptimize(shader->Sample(&cd));
  }
  state.SetItemsProcessed(state.iterations());
  shader->FreeRender();
  BaseShader::Free(shader);
}
BENCHMARK(BM_QuorvaneOutput);

// The cell noise ("Voronoi 1", scale 4) and the detail noise ("fBm", scale 2,
// 5 octaves) as the shader sets them up.
void BM_TwoNoiseShadersFloor(benchmark::State& state)
{
  EnsureModule();
  BaseShader* cell = NoiseShader(27, 4.0, 5.0, 304);
  BaseShader* detail = NoiseShader(8, 2.0, 5.0, 665);
  cell->InitRender(InitRenderStruct());
  detail->InitRender(InitRenderStruct());
  int64_t i = 0;
  for (auto _ : state)
  {
    ChannelData cd = At(i++);
    benchmark::DoNotOptimize(cell->Sample(&cd));
    benchmark::DoNotOptimize(detail->Sample(&cd));
  }
  state.SetItemsProcessed(state.iterations());
  cell->FreeRender();
  detail->FreeRender();
  BaseShader::Free(cell);
  BaseShader::Free(detail);
}
BENCHMARK(BM_TwoNoiseShadersFloor);

void BM_BakeThreads(benchmark::State& state)
{
  EnsureModule();
  BaseShader* shader = BaseShader::Alloc(kQuorvaneShader);
  qhost::TextureBakeOptions options;
  options.width = options.height = 256;
  options.threads = Int32(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(qhost::BakeShaderTexture(*shader, nullptr, options));
  state.SetItemsProcessed(state.iterations() * options.width * options.height);
  state.counters["cores"] = std::thread::hardware_concurrency();
  BaseShader::Free(shader);
}
BENCHMARK(BM_BakeThreads)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
