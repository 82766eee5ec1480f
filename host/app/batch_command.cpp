#include "host/app/batch_command.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include "host/app/app_context.h"
#include "host/app/batch_plan.h"
#include "host/app/batch_record.h"
#include "host/app/contact_sheet.h"
#include "host/app/output_check.h"
#include "host/app/presets.h"
#include "host/app/rock_build_options.h"
#include "host/app/rock_texture_options.h"
#include "host/io/atomic_file.h"
#include "host/io/mesh_file.h"
#include "host/io/png_image.h"

extern char** environ;

namespace qhost::app {
namespace {

constexpr const char* kManifestName = "manifest.json";
constexpr const char* kContactSheetName = "contact-sheet.png";

struct BatchOptions
{
  RockBuildOptions build;
  RockTextureOptions texture;
  std::string seeds = "1..8";
  std::vector<std::string> vary;
  std::string outDir = "batch";
  std::string name = "{name}-{seed}.glb";
  int jobs = 1;
  std::string shard;
  std::string worker; // set only on the processes --jobs starts
};

struct BatchJob
{
  RockBuildJob build;
  RockTextureJob texture;
  SeedRange seeds;
  std::vector<ParameterRange> ranges;
  Slice shard;
  Slice worker;
  nlohmann::json request;
  std::vector<BatchVariant> variants;
};

std::string FileHash(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw UsageError(path + ": cannot be read");
  return HashText(std::string(std::istreambuf_iterator<char>(in), {}));
}

// What every record says about the rock options, with the content of the
// files they name, so a changed preset, scene or input mesh is made again.
nlohmann::json RequestOf(const BatchOptions& options, const std::string& pluginsFolder)
{
  const RockBuildOptions& build = options.build;
  nlohmann::json request = nlohmann::json::object();
  if (!build.preset.empty())
  {
    const PresetFile preset = FindPreset(PresetFolders(pluginsFolder), build.preset);
    request["preset"] = preset.name;
    request["preset_fnv1a64"] = FileHash(preset.path.string());
  }
  for (const auto& [key, path] : {std::pair{"scene", build.scene}, std::pair{"input", build.input}})
    if (!path.empty())
    {
      request[key] = path;
      request[std::string(key) + "_fnv1a64"] = FileHash(path);
    }
  if (!build.primitive.empty())
    request["primitive"] = build.primitive;
  request["set"] = build.sets;
  request["field"] = build.fields;
  request["add_layer"] = build.addLayers;
  request["remove_layer"] = build.removeLayers;
  request["unit"] = build.units.unit;
  request["up"] = build.units.up;
  // Only a textured batch says so, so the records of earlier batches still
  // match their requests.
  if (options.texture.enabled)
    request["texture"] = {{"mode", options.texture.mode},
                          {"size", options.texture.bake.size},
                          {"projection", options.texture.projection},
                          {"set", options.texture.bake.sets}};
  return request;
}

// What {name} stands for: the preset, else the scene or input file's stem.
std::string RockName(const RockBuildOptions& build)
{
  if (!build.preset.empty())
    return build.preset;
  for (const std::string& path : {build.scene, build.input})
    if (!path.empty())
      return std::filesystem::path(path).stem().string();
  return "rock";
}

BatchJob CheckOptions(const BatchOptions& options)
{
  BatchJob job;
  job.build = CheckRockBuildOptions(options.build);
  job.seeds = ParseSeedRange(options.seeds);
  for (const std::string& text : options.vary)
  {
    job.ranges.push_back(ParseParameterRange(text));
    for (std::size_t i = 0; i + 1 < job.ranges.size(); ++i)
      if (job.ranges[i].name == job.ranges.back().name)
        throw UsageError("--vary " + text + ": " + job.ranges.back().name + " is varied twice");
  }
  CheckNamePattern(options.name);
  job.texture = CheckRockTextureOptions(options.texture, options.name, "--name");
  if (!options.shard.empty())
    job.shard = ParseSlice("--shard", options.shard);
  if (!options.worker.empty())
    job.worker = ParseSlice("--worker", options.worker);
  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  if (!std::filesystem::is_directory(options.outDir))
    throw UsageError("--out-dir " + options.outDir + ": cannot be made as a folder");
  CheckOutputPath((std::filesystem::path(options.outDir) / kManifestName).string(), "--out-dir");
  return job;
}

std::string InOutDir(const BatchOptions& options, const std::string& file)
{
  return (std::filesystem::path(options.outDir) / file).string();
}

void MakeVariant(const BatchOptions& options, const BatchJob& job, const BatchVariant& variant,
                 const std::string& pluginsFolder)
{
  const std::string meshPath = InOutDir(options, variant.file);
  const std::string heightPath = HeightMapPathFor(job.texture, meshPath);
  // A process killed while writing leaves its temporaries; this variant is
  // made by this process only.
  RemoveLeftoverTemporaries(meshPath);
  RemoveLeftoverTemporaries(RecordPathFor(meshPath));
  if (!heightPath.empty())
    RemoveLeftoverTemporaries(heightPath);
  RockScene scene = PrepareRockScene(options.build, job.build, pluginsFolder);
  AssignmentContext context;
  context.lengthUnit = job.build.frame.unit;
  for (const auto& [name, value] : variant.parameters)
    scene.Assign(ParseAssignment(name + "=" + value), context);
  const MeshData mesh = scene.BuildMesh();
  FlushConsole();
  const Image texture = BakeJobTexture(job.texture, *scene.Document(), *scene.Generator(), mesh);
  MeshWriteOptions writeOptions;
  writeOptions.frame = job.build.frame;
  writeOptions.baseColorTexture = job.texture.Embedded() ? &texture : nullptr;
  // The height map goes first: the record, written last, vouches for both.
  if (!heightPath.empty())
    WritePng(heightPath, texture);
  WriteMesh(meshPath, mesh, scene.CornerNormals(mesh), writeOptions);
  const nlohmann::json record = FinishedRecord(variant.planned, meshPath, job.build.frame, heightPath);
  WriteFileAtomically(RecordPathFor(meshPath), JsonText(record));
  std::cout << meshPath << ": seed " << variant.seed << ", " << mesh.points.size() << " points, "
            << mesh.polygons.size() << " polygons" << (job.texture.Embedded() ? ", textured" : "")
            << (heightPath.empty() ? "" : ", height map " + heightPath) << "\n"
            << std::flush;
}

// Reads the values of every variant still to be made against the generator's
// parameters, each on a scene of its own as MakeVariant does, so a range that
// leaves a menu or names no parameter stops the batch before anything is made.
// The batch's own seed, the first value of every variant, is a whole number
// the seed takes; the rest is read once for each distinct set of values.
void CheckVariantValues(const BatchOptions& options, const BatchJob& job,
                        const std::vector<const BatchVariant*>& pending, const std::string& pluginsFolder)
{
  AssignmentContext context;
  context.lengthUnit = job.build.frame.unit;
  context.warnBeyondLimits = false;
  std::set<std::vector<std::pair<std::string, std::string>>> checked;
  for (const BatchVariant* variant : pending)
  {
    if (!checked.emplace(variant->parameters.begin() + 1, variant->parameters.end()).second)
      continue;
    RockScene scene = PrepareRockScene(options.build, job.build, pluginsFolder);
    for (const auto& [name, value] : variant->parameters)
    {
      try
      {
        scene.Assign(ParseAssignment(name + "=" + value), context);
      }
      catch (const UsageError& e)
      {
        throw UsageError("the variant with seed " + std::to_string(variant->seed) + " cannot be made: " + e.what());
      }
    }
  }
}

// The variants of this shard that are not finished yet.
std::vector<const BatchVariant*> PendingVariants(const BatchOptions& options, const BatchJob& job)
{
  std::vector<const BatchVariant*> pending;
  for (const BatchVariant& variant : job.variants)
    if (job.shard.Holds(variant.index) && VerifiedRecord(variant.planned, InOutDir(options, variant.file)).is_null())
      pending.push_back(&variant);
  return pending;
}

// Starts `jobs` copies of this command, each making every jobs-th pending
// variant, and waits for all of them.
void RunWorkers(int jobs)
{
  const std::vector<std::string>& commandLine = RememberedCommandLine();
  std::vector<pid_t> workers;
  for (int k = 1; k <= jobs; ++k)
  {
    std::vector<std::string> args(commandLine.begin() + 1, commandLine.end());
    args.insert(args.begin(), "/proc/self/exe");
    args.push_back("--worker");
    args.push_back(std::to_string(k) + "/" + std::to_string(jobs));
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("--jobs: could not start a worker process");
    workers.push_back(pid);
  }
  int failed = 0;
  for (const pid_t pid : workers)
  {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      ++failed;
  }
  if (failed > 0)
    throw std::runtime_error("--jobs: " + std::to_string(failed) + " of " + std::to_string(jobs) +
                             " worker processes failed; run the batch again to finish it");
}

// Writes the manifest and the contact sheet when every variant of the batch
// is finished; says what is missing otherwise.
void GatherBatch(const BatchOptions& options, const BatchJob& job)
{
  nlohmann::json records = nlohmann::json::array();
  std::vector<ContactSheetEntry> tiles;
  for (const BatchVariant& variant : job.variants)
  {
    const std::string meshPath = InOutDir(options, variant.file);
    nlohmann::json record = VerifiedRecord(variant.planned, meshPath);
    if (record.is_null())
      continue;
    record.erase("request");
    records.push_back(std::move(record));
    tiles.push_back({meshPath, "seed " + std::to_string(variant.seed)});
  }
  const std::int64_t missing = job.seeds.Count() - std::int64_t(records.size());
  if (missing > 0)
  {
    std::cout << "batch: " << records.size() << " of " << job.seeds.Count() << " variants finished in "
              << options.outDir << "; the manifest and contact sheet are written when the other " << missing
              << " are\n";
    return;
  }
  nlohmann::json vary = nlohmann::json::array();
  for (const ParameterRange& range : job.ranges)
    vary.push_back(range.text);
  const nlohmann::json manifest = {{"format", "quorvane-batch"},
                                   {"version", 1},
                                   {"request", job.request},
                                   {"seeds", {job.seeds.first, job.seeds.last}},
                                   {"vary", vary},
                                   {"name", options.name},
                                   {"contact_sheet", kContactSheetName},
                                   {"variants", records}};
  const Image sheet = MakeContactSheet(tiles, job.build.frame);
  const std::string manifestPath = InOutDir(options, kManifestName);
  const std::string sheetPath = InOutDir(options, kContactSheetName);
  RemoveLeftoverTemporaries(manifestPath);
  RemoveLeftoverTemporaries(sheetPath);
  OutputGroup outputs;
  WriteFileAtomically(manifestPath, JsonText(manifest));
  WritePng(sheetPath, sheet);
  outputs.Commit();
  std::cout << "batch: " << records.size() << " variants in " << options.outDir << ", wrote " << manifestPath
            << " and " << sheetPath << "\n";
}

void RunBatch(const BatchOptions& options, const std::string& pluginsFolder)
{
  // A worker ends with the run that started it: a scheduler that stops the
  // run signals only that process.
  if (!options.worker.empty())
  {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    JoinConsoleFile();
  }
  BatchJob job = CheckOptions(options);
  for (const ModuleStatus& status : LoadModules(pluginsFolder))
    if (!status.error.empty())
      throw UsageError(status.error);
  if (job.texture.enabled)
    CheckShaderSettings(job.texture.bake.sets);
  job.request = RequestOf(options, pluginsFolder);
  job.variants = PlanVariants(job.seeds, job.ranges, options.name, RockName(options.build), job.request);
  const std::vector<const BatchVariant*> pending = PendingVariants(options, job);
  if (options.worker.empty() && !pending.empty())
    CheckVariantValues(options, job, pending, pluginsFolder);
  if (!options.worker.empty())
  {
    // Split by the variant's place in the shard, which the other workers'
    // progress does not change.
    for (const BatchVariant* variant : pending)
      if (job.worker.Holds(variant->index / job.shard.count))
        MakeVariant(options, job, *variant, pluginsFolder);
    return;
  }
  if (options.jobs > 1 && pending.size() > 1)
  {
    ShareConsoleFile();
    RunWorkers(int(std::min<std::size_t>(std::size_t(options.jobs), pending.size())));
    if (const std::size_t left = PendingVariants(options, job).size(); left > 0)
      throw std::runtime_error("--jobs: the worker processes left " + std::to_string(left) +
                               " variant(s) unfinished; run the batch again to finish it");
  }
  else
    for (const BatchVariant* variant : pending)
      MakeVariant(options, job, *variant, pluginsFolder);
  GatherBatch(options, job);
}

} // namespace

void AddBatchCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<BatchOptions>();
  CLI::App* cmd = app.add_subcommand(
      "batch", "Make variants of a rock over a seed range and parameter ranges, with a manifest and a contact sheet");
  AddRockBuildOptions(cmd, options->build);
  AddRockTextureOptions(cmd, options->texture);
  cmd->add_option("--seeds", options->seeds, "FIRST..LAST: one variant per seed, the generator's seed set to it")
      ->capture_default_str();
  cmd->add_option("--vary", options->vary,
                  "NAME=LOW..HIGH (layer1.Strength=60%..140%, OXROCK_SUBDIVISIONS=3..5) or NAME=A|B|C: a value "
                  "per variant drawn from its seed; repeatable");
  cmd->add_option("--out-dir", options->outDir, "Folder of the variants, their records, the manifest and the sheet")
      ->capture_default_str();
  cmd->add_option("--name", options->name,
                  "File name of each variant: {seed}, {index}, {name} (the preset or file); the extension picks "
                  "the format")
      ->capture_default_str();
  cmd->add_option("--jobs", options->jobs, "Variants made at the same time, each in its own process")
      ->capture_default_str()
      ->check(CLI::Range(1, 256));
  cmd->add_option("--shard", options->shard,
                  "I/N: make only every N-th variant from the I-th on, as one task of a job array");
  cmd->add_option("--worker", options->worker)->group("");
  cmd->callback([argv0, &pluginsOption, options] { RunBatch(*options, ResolvePluginsFolder(pluginsOption, argv0)); });
}

} // namespace qhost::app
