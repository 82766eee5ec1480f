// The whole `quorvane asset` command on the default rock at subdivision
// level 7 with three levels of detail and 1024² maps, run as a user runs it;
// every phase's time comes from the command's own --progress lines.
//
//   asset_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

namespace {

// Runs the command and returns what it printed on stderr.
std::string RunAsset(const std::string& out)
{
  const std::string command = std::string(QV_BUILD_DIR "/bin/quorvane --progress asset --set OXROCK_SUBDIVISIONS=7 "
                                          "--map-size 1024 --maps-out --out '") +
                              out + "' 2>&1 >/dev/null";
  std::string printed;
  if (FILE* pipe = popen(command.c_str(), "r"))
  {
    char buffer[4096];
    while (std::fgets(buffer, sizeof(buffer), pipe))
      printed += buffer;
    if (pclose(pipe) != 0)
      printed += "\nfailed";
  }
  return printed;
}

void WholeAsset(benchmark::State& state)
{
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quorvane_asset_bench";
  std::filesystem::create_directories(folder);
  std::map<std::string, double> phases;
  for (auto _ : state)
  {
    const auto start = std::chrono::steady_clock::now();
    const std::string printed = RunAsset((folder / "bench.glb").string());
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (printed.find("failed") != std::string::npos)
    {
      state.SkipWithError(printed.c_str());
      break;
    }
    // "Baking occlusion: 1.31s": one line per phase.
    const std::regex line(R"(([^\n:]+): (\d+\.\d+)s)");
    for (std::sregex_iterator it(printed.begin(), printed.end(), line), end; it != end; ++it)
      phases[(*it)[1].str()] += std::stod((*it)[2].str());
  }
  for (const auto& [phase, seconds] : phases)
    state.counters[phase] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
  std::filesystem::remove_all(folder);
}
BENCHMARK(WholeAsset)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
