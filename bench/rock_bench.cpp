// The whole build of a rock through the loaded module, split into the parts a
// person can act on: the host's modeling commands, the module's normals and
// relaxation, the layers' noise, and the export; the interactive figure (a
// small rock rebuilt and written on every change) and the OBJ writer's time
// per point on a hero-sized rock.
//
//   rock_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <tbb/global_control.h>

#include "host/description/description_impl.h"
#include "host/geometry/cache_pass.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/object_node.h"
#include "host/geometry/polygon_mesh.h"
#include "host/io/mesh_file.h"
#include "host/runtime/host.h"

namespace {

constexpr Int32 kRockMaker = 1063355;
constexpr Int32 kSubdivisions = 2000;
constexpr Int32 kSmoothing = 2003;
constexpr Int32 kSeed = 2008;
constexpr Int32 kAddLayer = 3002;
constexpr Int32 kLayerUse = 10024;

using Clock = std::chrono::steady_clock;

// Times every modeling command the module asks for.
class TimedGeometry final : public GeometryServices
{
public:
  explicit TimedGeometry(GeometryServices& inner) : inner_(inner) {}
  Bool SendModelingCommand(Int32 command, ModelingCommandData& data) override
  {
    const auto start = Clock::now();
    const Bool ok = inner_.SendModelingCommand(command, data);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
  }
  PolygonObject* AllocPolygonObject(Int32 p, Int32 v) override { return inner_.AllocPolygonObject(p, v); }
  BaseSelect* AllocSelect() override { return inner_.AllocSelect(); }
  void FreeSelect(BaseSelect* s) override { inner_.FreeSelect(s); }
  SelectionChanger* AllocSelectionChanger() override { return inner_.AllocSelectionChanger(); }
  void FreeSelectionChanger(SelectionChanger* s) override { inner_.FreeSelectionChanger(s); }
  Neighbor* AllocNeighbor() override { return inner_.AllocNeighbor(); }
  void FreeNeighbor(Neighbor* n) override { inner_.FreeNeighbor(n); }

  double seconds = 0.0;

private:
  GeometryServices& inner_;
};

TimedGeometry& Geometry()
{
  static TimedGeometry* timed = [] {
    qhost::Host& host = qhost::Host::Instance();
    host.LoadModule(QV_BUILD_DIR "/plugins/quorvane/quorvane.dud64");
    auto* wrapper = new TimedGeometry(*host.MutableInterface().geometry);
    host.MutableInterface().geometry = wrapper;
    return wrapper;
  }();
  return *timed;
}

double PeakMegabytes()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

// User and system time of every thread of the process so far.
double ProcessCpuSeconds()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The default rock: a cube under a generator created as from the menu.
struct Rock
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* generator = BaseObject::Alloc(kRockMaker);

  Rock(Int32 subdivisions, Int32 layers)
  {
    doc->InsertObject(generator, nullptr, nullptr);
    generator->Message(MSG_MENUPREPARE);
    BaseObject::Alloc(Ocube)->InsertUnder(generator);
    Describe();
    for (Int32 k = 1; k < layers; ++k)
    {
      DescriptionCommand press{DescID(kAddLayer)};
      generator->Message(MSG_DESCRIPTION_COMMAND, &press);
      Describe();
    }
    generator->GetDataInstance()->SetInt32(kSubdivisions, subdivisions);
  }
  ~Rock() { BaseDocument::Free(doc); }
  void Describe()
  {
    qhost::DescriptionImpl description;
    qhost::BuildDescription(*qhost::Core(generator), description);
  }
  // A full rebuild: the seed changes, so nothing is cached.
  const PolygonObject* Build(Int32 seed)
  {
    generator->SetParameter(DescID(kSeed), GeData(seed), DESCFLAGS_SET::NONE);
    qhost::BuildCaches(doc);
    return static_cast<const PolygonObject*>(generator->GetCache());
  }
  void Set(Int32 id, const GeData& value) { generator->SetParameter(DescID(id), value, DESCFLAGS_SET::NONE); }
};

// Mean seconds of a rebuild with the rock as it is set up.
double TimeBuilds(Rock& rock, int runs, Int32& seed)
{
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i)
    benchmark::DoNotOptimize(rock.Build(++seed));
  return std::chrono::duration<double>(Clock::now() - start).count() / runs;
}

// Subdivisions 4 ... 8 of the default rock, with the split of the time.
void BM_DefaultRock(benchmark::State& state)
{
  TimedGeometry& geometry = Geometry();
  Rock rock(Int32(state.range(0)), 1);
  Int32 seed = 1;
  const PolygonObject* mesh = rock.Build(seed);
  for (auto _ : state)
    benchmark::DoNotOptimize(mesh = rock.Build(++seed));
  const Int32 points = mesh->GetPointCount(); // later builds replace the cache

  // Split, outside the timed loop: commands from the wrapper, noise and
  // relaxation from builds with each switched off or on.
  const int runs = 2;
  geometry.seconds = 0.0;
  const double full = TimeBuilds(rock, runs, seed);
  const double commands = geometry.seconds / runs;
  rock.Set(kLayerUse, GeData(false));
  const double withoutLayer = TimeBuilds(rock, runs, seed);
  rock.Set(kLayerUse, GeData(true));
  rock.Set(kSmoothing, GeData(1.0));
  const double relaxed = TimeBuilds(rock, runs, seed);
  rock.Set(kSmoothing, GeData(0.0));

  const qhost::MeshData data = qhost::ReadPolygonMesh(*qhost::As<qhost::ObjectNode>(rock.Build(++seed)));
  const auto exportStart = Clock::now();
  qhost::WriteMesh("/tmp/quorvane_bench_rock.glb", data, qhost::ComputeCornerNormals(data, true, 1.396),
                   qhost::MeshWriteOptions{});
  const double exportSeconds = std::chrono::duration<double>(Clock::now() - exportStart).count();

  state.counters["points"] = points;
  state.counters["build_s"] = full;
  state.counters["commands_s"] = commands;
  state.counters["noise_s"] = full - withoutLayer;
  state.counters["normals_etc_s"] = withoutLayer - commands;
  state.counters["relax_1pass_s"] = relaxed - full;
  state.counters["export_glb_s"] = exportSeconds;
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_DefaultRock)->DenseRange(4, 8)->Unit(benchmark::kMillisecond)->Iterations(3);

// Subdivisions 6 and 7 with 1, 3 and 8 layers: throughput and the noise share.
void BM_Layers(benchmark::State& state)
{
  Geometry();
  const Int32 layers = Int32(state.range(1));
  Rock rock(Int32(state.range(0)), layers);
  Int32 seed = 1;
  const PolygonObject* mesh = rock.Build(seed);
  for (auto _ : state)
    benchmark::DoNotOptimize(mesh = rock.Build(++seed));
  const Int32 points = mesh->GetPointCount(); // later builds replace the cache
  const double full = TimeBuilds(rock, 1, seed);
  for (Int32 k = 0; k < layers; ++k)
    rock.Set(kLayerUse + 20 * k, GeData(false));
  const double withoutNoise = TimeBuilds(rock, 1, seed);
  state.counters["points"] = points;
  state.counters["point_layers_per_s"] =
      benchmark::Counter(double(points) * layers * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["noise_share"] = (full - withoutNoise) / full;
}
BENCHMARK(BM_Layers)->ArgsProduct({{6, 7}, {1, 3, 8}})->Unit(benchmark::kMillisecond)->Iterations(2);

// The mesh of the rock's current cache as the writers get it.
struct WritableMesh
{
  qhost::MeshData data;
  std::vector<Vector> cornerNormals;
};

WritableMesh CurrentMesh(const Rock& rock)
{
  WritableMesh mesh{qhost::ReadPolygonMesh(*qhost::As<qhost::ObjectNode>(rock.generator->GetCache())), {}};
  mesh.cornerNormals = qhost::ComputeCornerNormals(mesh.data, true, 1.396);
  return mesh;
}

// A failed write ends this case with the writer's message, not the whole run.
void WriteOrStop(benchmark::State& state, const std::string& path, const WritableMesh& mesh)
{
  try
  {
    qhost::WriteMesh(path, mesh.data, mesh.cornerNormals, qhost::MeshWriteOptions{});
  }
  catch (const std::exception& e)
  {
    state.SkipWithError(e.what());
  }
}

// The writer figures write into memory where the system has a memory file
// system: a write's flush to a shared disk (fsync of the file and its folder)
// takes longer than the work and varies with other jobs.
std::string WriteFolder()
{
  std::error_code error;
  return std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path().string();
}

// What a live preview pays per slider move: the default rock rebuilt at
// subdivision 4 and written as GLB (first arg 0) or OBJ (1), wall time, on
// every core (second arg 0) or on one thread (1): on a loaded machine the
// one-thread figure is the work itself, without waiting for a worker the
// system has not scheduled.
void BM_InteractiveRock(benchmark::State& state)
{
  Geometry();
  const bool glb = state.range(0) == 0;
  const std::string path = WriteFolder() + (glb ? "/quorvane_bench_live.glb" : "/quorvane_bench_live.obj");
  std::optional<tbb::global_control> oneThread;
  if (state.range(1) == 1)
    oneThread.emplace(tbb::global_control::max_allowed_parallelism, 1);
  Rock rock(4, 1);
  Int32 seed = 1;
  double buildSeconds = 0.0;
  for (auto _ : state)
  {
    const auto start = Clock::now();
    rock.Build(++seed);
    buildSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    WriteOrStop(state, path, CurrentMesh(rock));
  }
  std::filesystem::remove(path);
  state.counters["build_ms"] = benchmark::Counter(buildSeconds * 1e3, benchmark::Counter::kAvgIterations);
  state.SetLabel(std::string(glb ? "GLB" : "OBJ") + (oneThread ? ", one thread" : ", all cores"));
}
BENCHMARK(BM_InteractiveRock)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

// The OBJ writer alone on the default rock at subdivision N: wall time and
// CPU time of all threads per point (normals computed once, outside the
// timing).
void BM_WriteObj(benchmark::State& state)
{
  Geometry();
  Rock rock(Int32(state.range(0)), 1);
  rock.Build(1);
  const WritableMesh mesh = CurrentMesh(rock);
  const std::string path = WriteFolder() + "/quorvane_bench_rock.obj";
  const double cpuStart = ProcessCpuSeconds();
  for (auto _ : state)
    WriteOrStop(state, path, mesh);
  const double cpuSeconds = ProcessCpuSeconds() - cpuStart;
  std::filesystem::remove(path);
  const double points = mesh.data.points.size();
  state.counters["points"] = points;
  state.counters["cpu_per_point"] = cpuSeconds / (points * double(state.iterations()));
  state.counters["time_per_point"] =
      benchmark::Counter(points * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WriteObj)->Arg(7)->Arg(9)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The floor under BM_WriteObj: the numbers of the same file alone (a point's
// position and normal, a UV pair, and a face's twelve indices per point, as
// the rock's quads give) formatted with std::to_chars into memory on one
// thread, with no vertex sharing, no layout and no file. CPU time per point.
void BM_ObjNumbersAlone(benchmark::State& state)
{
  Geometry();
  Rock rock(Int32(state.range(0)), 1);
  rock.Build(1);
  const WritableMesh mesh = CurrentMesh(rock);
  const std::size_t points = mesh.data.points.size();
  std::vector<char> text(points * 320);
  for (auto _ : state)
  {
    char* p = text.data();
    for (std::size_t i = 0; i < points; ++i)
    {
      const Vector& v = mesh.data.points[i];
      const Vector& n = mesh.cornerNormals[std::min(4 * i, mesh.cornerNormals.size() - 1)];
      const Vector& uv = mesh.data.uvs[std::min(i, mesh.data.uvs.size() - 1)].a;
      for (const double x : {v.x, v.y, v.z, n.x, n.y, n.z, uv.x, uv.y})
      {
        p = std::to_chars(p, p + 32, x).ptr;
        *p++ = ' ';
      }
      for (std::size_t k = 0; k < 12; ++k)
      {
        p = std::to_chars(p, p + 16, i + 37 * k + 1).ptr;
        *p++ = '/';
      }
      *p++ = '\n';
    }
    benchmark::DoNotOptimize(p);
  }
  state.counters["cpu_per_point"] =
      benchmark::Counter(double(points), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ObjNumbersAlone)->Arg(9)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
