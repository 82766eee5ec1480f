#include "host/core/core_services.h"

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/core/bitmap.h"
#include "host/core/build_break.h"
#include "host/core/console.h"
#include "host/core/description_resource.h"
#include "host/core/module_resource.h"
#include "host/core/node_factory.h"
#include "host/core/simple_nodes.h"

extern char** environ;

namespace qhost {
namespace {

bool HasDesktop() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"); }

// Runs the desktop's opener without waiting for the application it starts.
bool SpawnOpener(const String& path)
{
  const char* opener = "xdg-open";
  char* const argv[] = {const_cast<char*>(opener), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0)
    return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

void HostMessage(const String& text)
{
  Console::Instance().Write(ConsoleLine{OUTPUT::NORMAL, TARGETAUDIENCE::ALL, WRITEMETA::DEFAULT, "host", 0, text});
}

void* CoreServicesImpl::Alloc(size_t size) { return std::malloc(size); }
void CoreServicesImpl::Free(void* memory) { std::free(memory); }

GeListNode* CoreServicesImpl::AllocNode(NodeClass kind, Int32 type)
{
  return ApiOf(NodeFactory::Instance().Create(kind, type));
}

void CoreServicesImpl::FreeNode(GeListNode* node) { DestroyNode(Core(node)); }

CTrack* CoreServicesImpl::AllocTrack(BaseList2D* owner, const DescID& id)
{
  NodeCore* ownerNode = Core(owner);
  if (!ownerNode || id.GetDepth() == 0)
    return nullptr;
  auto* track = new TrackNode(id);
  track->name = TrackName(*ownerNode, id);
  return track;
}

CustomDataType* CoreServicesImpl::AllocCustomData(Int32 type) { return NodeFactory::Instance().CreateCustomData(type); }
void CoreServicesImpl::FreeCustomData(CustomDataType* data) { delete data; }

BaseContainer CoreServicesImpl::GetCustomDataTypeDefault(Int32 type) { return DefaultElementSettings(type); }

Bool CoreServicesImpl::RegisterPlugin(const PluginRegistration& registration)
{
  // The module called in: a refusal becomes a console line and a false
  // result, never an exception.
  lastRegistrationError_.clear();
  try
  {
    NodeFactory::Instance().RegisterPlugin(registration);
    return true;
  }
  catch (const std::exception& e)
  {
    lastRegistrationError_ = e.what();
  }
  HostMessage("Registration of plug-in " + std::to_string(registration.id) + " refused: " + lastRegistrationError_);
  return false;
}

void* CoreServicesImpl::LoadResource(const String& resourceFolder)
{
  // The module called in: a missing or broken resource is a console line and
  // a null result.
  try
  {
    return std::make_unique<ModuleResource>(LoadModuleResource(resourceFolder)).release();
  }
  catch (const std::exception& e)
  {
    HostMessage(e.what());
    return nullptr;
  }
}

String CoreServicesImpl::ResourceString(void* resource, Int32 id)
{
  const auto& strings = static_cast<const ModuleResource*>(resource)->strings;
  const auto it = strings.find(id);
  return it == strings.end() ? String() : it->second;
}

void CoreServicesImpl::FreeResource(void* resource) { delete static_cast<ModuleResource*>(resource); }

BaseBitmap* CoreServicesImpl::LoadBitmap(const String& path, Float pixelRatio)
{
  return LoadBitmapFile(path, pixelRatio).release();
}

void CoreServicesImpl::FreeBitmap(BaseBitmap* bitmap) { delete static_cast<HostBitmap*>(bitmap); }

void CoreServicesImpl::WriteConsole(OUTPUT kind, TARGETAUDIENCE audience, WRITEMETA meta, const char* file, Int32 line,
                                    const char* text, std::initializer_list<OutputArg> args)
{
  Console::Instance().Write(
      ConsoleLine{kind, audience, meta, file ? file : "", line, FormatConsoleText(text ? text : "", args)});
}

String CoreServicesImpl::JoinPath(const String& folder, const String& name)
{
  if (folder.empty())
    return name;
  return (std::filesystem::path(folder) / name).string();
}

Bool CoreServicesImpl::ExecuteFile(const String& path)
{
  executedFiles_.push_back(path);
  const bool exists = std::filesystem::exists(path);
  if (exists && HasDesktop() && SpawnOpener(path))
    return true;
  HostMessage("Open " + path + ": " + (exists ? "the file exists, but there is no desktop to open it with" : "no such file"));
  return false;
}

Int32 CoreServicesImpl::MessageDialog(Int32, const String& text)
{
  // Headless: the dialog is shown as console lines and recorded.
  dialogs_.push_back(text);
  HostMessage("[dialog] " + text);
  return GEMB_OK;
}

void CoreServicesImpl::EventAdd(Int32) { ++eventCount_; }

namespace {

// A handful at most: every parallel range installs each of them.
struct Forwardings
{
  std::array<ThreadStateForwarding, 4> entries{};
  std::size_t count = 0;
};

Forwardings& RegisteredForwardings()
{
  static Forwardings forwardings;
  return forwardings;
}

} // namespace

void AddThreadStateForwarding(ThreadStateForwarding forwarding)
{
  Forwardings& forwardings = RegisteredForwardings();
  if (forwardings.count == forwardings.entries.size())
    throw std::logic_error("too many kinds of per-thread state to forward into parallel loops");
  forwardings.entries[forwardings.count++] = forwarding;
}

void CoreServicesImpl::ParallelFor(Int32 count, ParallelForBody body, void* context)
{
  // Ranges of at least a few hundred indices keep the per-range call cheap
  // next to the work a module does per index.
  constexpr Int32 kGrain = 256;
  if (count <= 0 || body == nullptr)
    return;
  const Forwardings& forwardings = RegisteredForwardings();
  std::array<void*, 4> states{};
  for (std::size_t i = 0; i < forwardings.count; ++i)
    states[i] = forwardings.entries[i].capture();
  // A build broken off skips the ranges not yet started; its result is
  // dropped, so the half-done work is never seen.
  const BreakCheck* check = CurrentBreakCheck();
  tbb::parallel_for(tbb::blocked_range<Int32>(0, count, kGrain), [&](const tbb::blocked_range<Int32>& range) {
    if (BreakRequested(check))
      return;
    std::array<void*, 4> replaced{};
    for (std::size_t i = 0; i < forwardings.count; ++i)
      replaced[i] = forwardings.entries[i].install(states[i]);
    body(context, range.begin(), range.end());
    for (std::size_t i = forwardings.count; i-- > 0;)
      forwardings.entries[i].install(replaced[i]);
  });
}

} // namespace qhost
