// The scene the workbench server shows: one rock (a Quorvane Maker with its
// child) and its Quorvane material, shared by every page connected to the
// server. Requests change it under one lock, so two tabs see the same scene
// and never interleave inside a change; every change asks the build queue
// for a new build, quick while the user drags and full when they let go, and
// a build that a newer change overtook is dropped.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "host/app/quorvane_material.h"
#include "host/app/rock_scene.h"
#include "host/geometry/mesh_data.h"
#include "host/inspect/mesh_report.h"
#include "host/io/png_image.h"
#include "host/serve/build_queue.h"
#include "host/serve/json_request.h"
#include "host/serve/workdir.h"

namespace qhost::app {

struct WorkbenchLimits
{
  // The largest rock a build may make; a change that would exceed it is
  // refused, and a loaded scene beyond it is not built.
  std::int64_t maxPolygons = 2'000'000;
  // Subdivision level of the quick builds while dragging (at most the
  // chosen one).
  int workingSubdivisions = 3;
  // Side of the baked texture in quick and full builds.
  int workingTextureSize = 256;
  int finalTextureSize = 1024;
  // Width of the preview picture (the page's view without three.js).
  int previewWidth = 800;
};

// What a finished build left: the rock, its figures and the files served.
struct BuildOutcome
{
  std::uint64_t generation = 0;
  bool final = false;
  std::string error; // why the build made no rock; the rest is empty then
  double seconds = 0.0;
  std::vector<std::string> console; // lines written during the build
  MeshData mesh;
  std::vector<Vector> normals;
  std::optional<Image> texture;
  MeshReport report;
  std::string size;
  std::vector<std::uint8_t> glb;
  std::vector<std::uint8_t> preview; // PNG
};

class WorkbenchSession
{
public:
  // Once stopping is set (the server is ending), a build under way breaks off
  // and is not made again; stopping must outlive the session.
  WorkbenchSession(RockScene scene, Workdir workdir, WorkbenchLimits limits, const std::atomic<bool>& stopping);
  ~WorkbenchSession();
  WorkbenchSession(const WorkbenchSession&) = delete;
  WorkbenchSession& operator=(const WorkbenchSession&) = delete;

  // Both attribute-manager views and the view settings.
  nlohmann::json Describe();
  // {"node": "generator"|"shader", "id": ID, "value": ..., "final": bool}:
  // sets one parameter; a refused value changes nothing.
  nlohmann::json Set(const JsonRequest& request);
  // {"node": ..., "id": ID}: presses an enabled button; returns the console
  // lines it wrote.
  nlohmann::json Press(const JsonRequest& request);
  // {"texture": bool}: whether builds bake the material onto the rock.
  nlohmann::json SetTexture(const JsonRequest& request);
  // {"path": NAME}: scene files inside the working folder.
  nlohmann::json Save(const JsonRequest& request);
  nlohmann::json Load(const JsonRequest& request);
  nlohmann::json SceneFiles() const;

  // The newest published build once its generation is above after, or the
  // current one when timeoutMs pass first; null before the first build.
  std::shared_ptr<const BuildOutcome> WaitForBuild(std::uint64_t after, int timeoutMs);
  // The newest published build (null before the first one).
  std::shared_ptr<const BuildOutcome> Latest();

  // The rock of outcome as a mesh file of the format extension names (".obj",
  // ".ply", ".glb"), with the texture when it has one.
  std::vector<std::uint8_t> MeshFile(const BuildOutcome& outcome, const std::string& extension);
  // The current rock as a game asset (levels of detail and maps baked at the
  // full texture size in one GLB), made from its full build once that is
  // published; one asset at a time.
  std::vector<std::uint8_t> AssetFile();

  static nlohmann::json Summary(const BuildOutcome& outcome);

private:
  void Build(const BuildTicket& ticket);
  std::shared_ptr<BuildOutcome> BuildLocked(const BuildTicket& ticket);
  // Whether the build's result is no longer wanted: a newer request came, or
  // the server is ending.
  bool Abandoned(const BuildTicket& ticket) const;
  void FinishOutputs(BuildOutcome& outcome, const BuildTicket& ticket);
  void Publish(std::shared_ptr<const BuildOutcome> outcome);
  BaseList2D* Node(const std::string& name);
  void CheckBuildSize(Int32 level) const;
  // The bytes of the file write makes at a fresh path in the scratch folder,
  // which is removed again.
  std::vector<std::uint8_t> ScratchFileBytes(const std::string& name,
                                             const std::function<void(const std::string& path)>& write);

  const Workdir workdir_;
  const std::atomic<bool>& stopping_;
  const WorkbenchLimits limits_;
  const std::filesystem::path scratch_; // private folder for files written before they are served
  std::atomic<std::uint64_t> downloads_{0}; // names the files of concurrent downloads apart
  std::mutex assetMutex_;                   // held while an asset is made

  // Held by a request that changes the scene: it counts as pending from
  // before it asks for the scene's lock until it is done, so a full build
  // under way breaks off and lets it in.
  class PendingChange
  {
  public:
    explicit PendingChange(WorkbenchSession& session);
    ~PendingChange();
    PendingChange(const PendingChange&) = delete;
    PendingChange& operator=(const PendingChange&) = delete;

  private:
    WorkbenchSession& session_;
    std::unique_lock<std::mutex> lock_;
  };

  std::mutex changesMutex_; // guards the count's changes, for changesDone_
  std::condition_variable changesDone_;
  std::atomic<int> changesPending_{0};

  std::mutex sceneMutex_; // guards everything below up to the results
  std::optional<RockScene> scene_;
  QuorvaneMaterial material_;
  bool texture_ = false;
  std::int64_t builtPolygons_ = 0; // of the last build at builtLevel_
  Int32 builtLevel_ = -1;

  std::mutex resultMutex_;
  std::condition_variable resultChanged_;
  std::shared_ptr<const BuildOutcome> latest_;

  BuildQueue queue_; // last: its thread stops before the scene goes
};

} // namespace qhost::app
