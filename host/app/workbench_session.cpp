#include "host/app/workbench_session.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "host/app/app_context.h"
#include "host/app/generator_layers.h"
#include "host/app/mesh_size.h"
#include "host/app/parameter_assignment.h"
#include "host/app/rock_asset.h"
#include "host/app/rock_texture.h"
#include "host/core/build_break.h"
#include "host/core/console.h"
#include "host/core/read_file.h"
#include "host/description/attribute_view.h"
#include "host/description/description_impl.h"
#include "host/io/mesh_file.h"
#include "host/preview/mesh_preview.h"
#include "host/serve/attribute_json.h"

namespace qhost::app {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kSubdivisionsIdent = "OXROCK_SUBDIVISIONS";
// How long an asset request waits for a build still under way.
constexpr int kAssetBuildWaitMs = 120000;

fs::path MakeScratchFolder()
{
  std::string pattern = (fs::temp_directory_path() / "quorvane-serve-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error("cannot make a temporary folder in " + fs::temp_directory_path().string());
  return pattern;
}

// The console lines written since before.
std::vector<std::string> ConsoleSince(std::size_t before)
{
  const std::vector<String> texts = Console::Instance().Texts();
  return {texts.begin() + std::min(before, texts.size()), texts.end()};
}

// A number as ParseValue reads it, without losing digits.
std::string NumberText(const json& value, const std::string& label)
{
  if (!value.is_number())
    throw RequestError(label + ": expected a number");
  if (value.is_number_integer())
    return value.dump();
  char text[40];
  std::snprintf(text, sizeof(text), "%.17g", value.get<double>());
  return text;
}

// The page's JSON value as the text the command line would type for the
// element; a value of the wrong JSON type is refused here.
std::string ValueText(const AttributeElement& element, const json& value)
{
  const std::string& label = element.label;
  if (!element.choices.empty())
  {
    if (value.is_string())
      return value.get<std::string>();
    return NumberText(value, label);
  }
  switch (element.dtype)
  {
    case DTYPE_BOOL:
      if (!value.is_boolean())
        throw RequestError(label + ": expected true or false");
      return value.get<bool>() ? "on" : "off";
    case DTYPE_LONG:
    case DTYPE_REAL: return NumberText(value, label);
    case DTYPE_VECTOR:
      if (!value.is_array() || value.size() != 3)
        throw RequestError(label + ": expected three numbers");
      return NumberText(value[0], label) + "," + NumberText(value[1], label) + "," + NumberText(value[2], label);
    default: throw RequestError(label + " cannot be set from the workbench");
  }
}

const AttributeElement& ShownElement(const AttributeView& view, long long id)
{
  const AttributeElement* element = view.FindElement(DescID(static_cast<Int32>(id)));
  if (!element)
    throw RequestError(view.title + " has no parameter " + std::to_string(id));
  if (!element->enabled)
    throw RequestError(element->label + " is greyed out");
  return *element;
}

std::vector<std::uint8_t> PreviewPng(const MeshData& mesh, std::span<const Vector> normals, const Image* texture,
                                     int width)
{
  PreviewOptions options;
  options.width = width;
  options.height = width * 3 / 4;
  options.texture = texture;
  return EncodePng(RenderMeshPreview(mesh, normals, options));
}

} // namespace

WorkbenchSession::WorkbenchSession(RockScene scene, Workdir workdir, WorkbenchLimits limits,
                                   const std::atomic<bool>& stopping)
    : workdir_(std::move(workdir)), stopping_(stopping), limits_(limits), scratch_(MakeScratchFolder()), scene_(std::move(scene)),
      queue_([this](const BuildTicket& ticket) { Build(ticket); })
{
  std::lock_guard lock(sceneMutex_);
  material_ = FindQuorvaneMaterial(*scene_->Document());
  if (!material_.shader)
    material_ = AddQuorvaneMaterial(*scene_->Document());
  queue_.Request(true);
}

WorkbenchSession::~WorkbenchSession()
{
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
}

BaseList2D* WorkbenchSession::Node(const std::string& name)
{
  if (name == "generator")
    return scene_->Generator();
  if (name == "shader")
    return material_.shader;
  throw RequestError("\"node\" must be \"generator\" or \"shader\"");
}

json WorkbenchSession::Describe()
{
  std::lock_guard lock(sceneMutex_);
  AttributeView generator = DescribeNode(*Core(scene_->Generator()));
  NameLayerParameters(*Core(scene_->Generator()), generator);
  return {
      {"generator", AttributeViewJson(generator, kMetre)},
      {"shader", AttributeViewJson(DescribeNode(*Core(material_.shader)), kMetre)},
      {"texture", texture_},
      {"newest", queue_.Newest()},
  };
}

void WorkbenchSession::CheckBuildSize(Int32 level) const
{
  if (builtLevel_ < 0)
    return;
  const double estimate = double(builtPolygons_) * std::pow(4.0, level - builtLevel_);
  if (estimate > double(limits_.maxPolygons))
    throw RequestError("Subdivisions " + std::to_string(level) + " would make about " +
                       std::to_string(std::llround(estimate)) + " polygons; this server builds at most " +
                       std::to_string(limits_.maxPolygons) + " (--max-polygons)");
}

json WorkbenchSession::Set(const JsonRequest& request)
{
  const std::string nodeName = request.String("node");
  const long long id = request.Integer("id");
  const json& value = request.Value("value");
  const bool final = request.Bool("final", true);
  const PendingChange change(*this);
  BaseList2D* node = Node(nodeName);
  const AttributeView view = DescribeNode(*Core(node));
  const AttributeElement& element = ShownElement(view, id);
  Assignment assignment;
  assignment.name = std::to_string(id);
  assignment.value = ValueText(element, value);
  assignment.text = element.label + "=" + assignment.value;
  AssignmentContext context;
  context.refuseBeyondLimits = true;
  if (node == scene_->Generator())
  {
    GeData before;
    node->GetParameter(DescID(Int32(id)), before, DESCFLAGS_GET::NONE);
    scene_->Assign(assignment, context);
    if (element.ident == kSubdivisionsIdent)
    {
      GeData now;
      node->GetParameter(DescID(Int32(id)), now, DESCFLAGS_GET::NONE);
      try
      {
        CheckBuildSize(now.GetInt32());
      }
      catch (const RequestError&)
      {
        node->SetParameter(DescID(Int32(id)), before, DESCFLAGS_SET::USERINTERACTION);
        throw;
      }
    }
  }
  else
  {
    DescriptionImpl description;
    if (!BuildDescription(*Core(node), description))
      throw std::runtime_error("the shader's description could not be built");
    ApplyAssignment(node, description.Elements(), assignment, context);
  }
  return {{"generation", queue_.Request(final)}};
}

json WorkbenchSession::Press(const JsonRequest& request)
{
  const std::string nodeName = request.String("node");
  const long long id = request.Integer("id");
  const PendingChange change(*this);
  BaseList2D* node = Node(nodeName);
  const AttributeView view = DescribeNode(*Core(node));
  const AttributeElement& button = ShownElement(view, id);
  if (button.dtype != DTYPE_BUTTON)
    throw RequestError(button.label + " is no button");
  const std::size_t before = Console::Instance().Texts().size();
  if (node == scene_->Generator())
    scene_->Press(Int32(id));
  else
    PressButton(*Core(node), Int32(id));
  return {{"generation", queue_.Request(true)}, {"console", ConsoleSince(before)}};
}

json WorkbenchSession::SetTexture(const JsonRequest& request)
{
  const bool texture = request.Bool("texture", false);
  const PendingChange change(*this);
  texture_ = texture;
  return {{"generation", queue_.Request(true)}};
}

json WorkbenchSession::Save(const JsonRequest& request)
{
  const fs::path path = workdir_.Resolve(request.String("path"));
  std::lock_guard lock(sceneMutex_);
  scene_->SaveScene(path.string());
  return {{"saved", fs::relative(path, workdir_.Root()).generic_string()}};
}

json WorkbenchSession::Load(const JsonRequest& request)
{
  const fs::path path = workdir_.Resolve(request.String("path"));
  const PendingChange change(*this);
  // Read before anything changes: a bad file leaves the current scene.
  RockScene loaded = RockScene::FromSceneFile(path.string());
  scene_.reset();
  scene_.emplace(std::move(loaded));
  material_ = FindQuorvaneMaterial(*scene_->Document());
  if (!material_.shader)
    material_ = AddQuorvaneMaterial(*scene_->Document());
  builtLevel_ = -1;
  return {{"loaded", fs::relative(path, workdir_.Root()).generic_string()}, {"generation", queue_.Request(true)}};
}

std::vector<std::uint8_t> WorkbenchSession::ScratchFileBytes(const std::string& name,
                                                             const std::function<void(const std::string& path)>& write)
{
  struct RemovedAtEnd
  {
    fs::path path;
    ~RemovedAtEnd()
    {
      std::error_code ignored;
      fs::remove(path, ignored);
    }
  } file{scratch_ / (std::to_string(++downloads_) + "-" + name)};
  write(file.path.string());
  return ReadFileBytes(file.path.string(), kMaxMeshFileBytes);
}

std::vector<std::uint8_t> WorkbenchSession::MeshFile(const BuildOutcome& outcome, const std::string& extension)
{
  MeshWriteOptions options;
  options.baseColorTexture = outcome.texture ? &*outcome.texture : nullptr;
  return ScratchFileBytes("download" + extension, [&](const std::string& path) {
    WriteMesh(path, outcome.mesh, outcome.normals, options);
  });
}

std::vector<std::uint8_t> WorkbenchSession::AssetFile()
{
  std::unique_lock making(assetMutex_, std::try_to_lock);
  if (!making.owns_lock())
    throw RequestError("an asset is already being made; ask again when it is done");
  // Made from the newest full build: a change that is still building is
  // waited for first.
  WaitForBuild(queue_.Newest() - 1, kAssetBuildWaitMs);
  AssetSettings settings;
  settings.mapSize = limits_.finalTextureSize;
  std::shared_ptr<const BuildOutcome> outcome;
  AssetShading shading;
  {
    // Under the scene's lock no change can come between the check that the
    // build is the newest and the bake of the scene's material over it.
    std::lock_guard lock(sceneMutex_);
    outcome = Latest();
    if (!outcome || outcome->generation != queue_.Newest() || !outcome->final)
      throw RequestError("the rock is still being built; ask for the asset when its full build is shown");
    if (!outcome->error.empty())
      throw RequestError("the current rock did not build: " + outcome->error);
    shading = BakeAssetShading(*scene_, outcome->mesh, settings);
  }
  const RockAsset asset = MakeRockAsset(outcome->mesh, outcome->normals, std::move(shading), settings);
  return ScratchFileBytes("asset.glb",
                          [&](const std::string& path) { WriteAssetGlb(path, asset.Levels(), asset.Maps(), "rock"); });
}

json WorkbenchSession::SceneFiles() const { return {{"files", workdir_.List(".json", 1000)}}; }

// ---- Builds (on the queue's thread) ----

WorkbenchSession::PendingChange::PendingChange(WorkbenchSession& session) : session_(session)
{
  {
    std::lock_guard lock(session_.changesMutex_);
    ++session_.changesPending_;
  }
  lock_ = std::unique_lock(session_.sceneMutex_);
}

WorkbenchSession::PendingChange::~PendingChange()
{
  lock_.unlock();
  {
    std::lock_guard lock(session_.changesMutex_);
    --session_.changesPending_;
  }
  session_.changesDone_.notify_all();
}

void WorkbenchSession::Build(const BuildTicket& ticket)
{
  // A full build breaks off as soon as a change waits for the scene, so a
  // slider grabbed again never waits for it; quick builds run to their end,
  // or a drag would show nothing. Breaking off is remembered: the host may
  // report it as a failure or as nothing at all. Any build breaks off when
  // the server is ending.
  std::atomic<bool> brokenOff{false};
  const BreakCheck breakOff = [this, &ticket, &brokenOff] {
    if (Abandoned(ticket) || (ticket.final && changesPending_.load() > 0))
      brokenOff = true;
    return brokenOff.load();
  };
  const BreakCheckScope scope(breakOff);
  for (;;)
  {
    std::shared_ptr<BuildOutcome> outcome;
    try
    {
      outcome = BuildLocked(ticket);
      if (outcome && outcome->error.empty())
        FinishOutputs(*outcome, ticket);
    }
    catch (const std::exception& e)
    {
      outcome = std::make_shared<BuildOutcome>();
      outcome->generation = ticket.generation;
      outcome->final = ticket.final;
      outcome->error = e.what();
    }
    if (Abandoned(ticket))
      return;
    if (!brokenOff)
    {
      if (outcome)
        Publish(std::move(outcome));
      return;
    }
    // Broken off for a change: once it is done it has asked for a newer
    // build, or it was refused and this one is made again.
    std::unique_lock lock(changesMutex_);
    changesDone_.wait(lock, [this] { return changesPending_.load() == 0; });
    lock.unlock();
    if (queue_.Superseded(ticket.generation))
      return;
    brokenOff = false;
  }
}

std::shared_ptr<BuildOutcome> WorkbenchSession::BuildLocked(const BuildTicket& ticket)
{
  std::lock_guard lock(sceneMutex_);
  if (BreakRequested())
    return nullptr;
  auto outcome = std::make_shared<BuildOutcome>();
  outcome->generation = ticket.generation;
  outcome->final = ticket.final;
  const auto start = std::chrono::steady_clock::now();
  const std::size_t consoleBefore = Console::Instance().Texts().size();

  BaseObject* generator = scene_->Generator();
  const DescID subdivisions(FindElement(scene_->Elements(), kSubdivisionsIdent)->id[0].id);
  GeData chosen;
  generator->GetParameter(subdivisions, chosen, DESCFLAGS_GET::NONE);
  const Int32 level = ticket.final ? chosen.GetInt32() : std::min(chosen.GetInt32(), limits_.workingSubdivisions);
  try
  {
    CheckBuildSize(level);
    if (level != chosen.GetInt32())
      generator->SetParameter(subdivisions, GeData(level), DESCFLAGS_SET::NONE);
    outcome->mesh = scene_->BuildMesh();
    if (level != chosen.GetInt32())
      generator->SetParameter(subdivisions, chosen, DESCFLAGS_SET::NONE);
  }
  catch (const std::exception& e)
  {
    if (level != chosen.GetInt32())
      generator->SetParameter(subdivisions, chosen, DESCFLAGS_SET::NONE);
    outcome->error = e.what();
  }
  // Broken off while building: the mesh, or the generator's cache, may be
  // half made, so the next build makes it again.
  if (BreakRequested())
  {
    generator->SetDirty(DIRTYFLAGS_DATA);
    return nullptr;
  }
  if (outcome->error.empty())
  {
    builtPolygons_ = static_cast<std::int64_t>(outcome->mesh.polygons.size());
    builtLevel_ = level;
    outcome->normals = scene_->CornerNormals(outcome->mesh);
    if (texture_)
    {
      ShaderBakeSettings bake;
      bake.size = ticket.final ? limits_.finalTextureSize : limits_.workingTextureSize;
      outcome->texture =
          BakeRockTexture(*scene_->Document(), *generator, outcome->mesh, std::nullopt, bake);
    }
  }
  outcome->console = ConsoleSince(consoleBefore);
  FlushConsole();
  outcome->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

// Files and figures of the built rock: made outside the scene's lock, and
// abandoned as soon as a newer change arrives or the server ends.
bool WorkbenchSession::Abandoned(const BuildTicket& ticket) const
{
  return stopping_ || queue_.Superseded(ticket.generation);
}

void WorkbenchSession::FinishOutputs(BuildOutcome& outcome, const BuildTicket& ticket)
{
  const auto start = std::chrono::steady_clock::now();
  if (Abandoned(ticket))
    return;
  const fs::path glb = scratch_ / "rock.glb";
  MeshWriteOptions options;
  options.baseColorTexture = outcome.texture ? &*outcome.texture : nullptr;
  WriteMesh(glb.string(), outcome.mesh, outcome.normals, options);
  outcome.glb = ReadFileBytes(glb.string(), kMaxMeshFileBytes);
  if (Abandoned(ticket))
    return;
  outcome.preview = PreviewPng(outcome.mesh, outcome.normals, options.baseColorTexture, limits_.previewWidth);
  if (Abandoned(ticket))
    return;
  outcome.report = InspectMesh(outcome.mesh);
  outcome.size = SizeInMetres(outcome.mesh);
  outcome.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WorkbenchSession::Publish(std::shared_ptr<const BuildOutcome> outcome)
{
  {
    std::lock_guard lock(resultMutex_);
    latest_ = std::move(outcome);
  }
  resultChanged_.notify_all();
}

std::shared_ptr<const BuildOutcome> WorkbenchSession::Latest()
{
  std::lock_guard lock(resultMutex_);
  return latest_;
}

std::shared_ptr<const BuildOutcome> WorkbenchSession::WaitForBuild(std::uint64_t after, int timeoutMs)
{
  std::unique_lock lock(resultMutex_);
  resultChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return latest_ && latest_->generation > after; });
  return latest_;
}

json WorkbenchSession::Summary(const BuildOutcome& outcome)
{
  const MeshReport& r = outcome.report;
  return {
      {"generation", outcome.generation},
      {"final", outcome.final},
      {"error", outcome.error},
      {"seconds", outcome.seconds},
      {"console", outcome.console},
      {"points", r.points},
      {"polygons", outcome.mesh.polygons.size()},
      {"closed", r.Closed()},
      {"boundaryEdges", r.boundaryEdges},
      {"foldedEdges", r.foldedEdges},
      {"size", outcome.size},
      {"textured", outcome.texture.has_value()},
  };
}

} // namespace qhost::app
