// The module's entry point: turns the host's actions into calls of
// PluginStart, PluginMessage and PluginEnd, and keeps the module-wide state.
#include <string>

#include "hostapi/host_interface.h"
#include "hostapi/module_entry.h"
#include "glue/module/module_state.h"

#define QV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr Int32 kActionInit = 1;
constexpr Int32 kActionStart = 2;
constexpr Int32 kActionEnd = 3;
constexpr Int32 kActionQuery = 4;
constexpr Int32 kActionMessage = 6;

constexpr Int32 kResultOk = 1;
constexpr Int32 kResultFailed = 0;
constexpr Int32 kResultRefused = -3;
constexpr Int32 kResultUnknown = -1;
constexpr Int32 kResultQuery = 5;

// The module's identity in the host's core object system.
struct CoreModuleRecord
{
  const char* moduleId;
  Int32 version;
};
const CoreModuleRecord kCoreModule{"net.quorvane.module", 1};

Int32 g_initCount = 0;
GeResource g_resource;

// Binds the host and checks its version; false when the host is too old.
bool BindHost(void* p1)
{
  const auto* host = static_cast<const HostInterface*>(p1);
  if (!host)
    return false;
  BindHostInterface(host);
  return host->apiVersion >= QV_MIN_API_VERSION;
}

Int32 SystemInit(void* p1, void* p3)
{
  if (++g_initCount != 1)
    return kResultOk;
  if (!BindHost(p1) || !p3)
    return kResultRefused;
  const auto* context = static_cast<const ModuleContext*>(p3);
  glue::SetModulePath(context->modulePath ? context->modulePath : "");
  return kResultOk;
}

Int32 SystemEnd()
{
  if (--g_initCount != 0)
    return kResultOk;
  PluginEnd();
  g_resource.Free();
  glue::SetModulePath("");
  return kResultOk;
}

} // namespace

extern "C" {
__attribute__((visibility("default"))) const void* g_core = &kCoreModule;
// The host may install a callback here that long computations call to yield.
__attribute__((visibility("default"))) void* g_CpuYieldDelegate = nullptr;
}

QV_EXPORT Int32 plugin_main(Int32 action, void* p1, void* p2, void* p3)
{
  switch (action)
  {
    case kActionInit: return SystemInit(p1, p3);
    case kActionStart: return PluginStart() ? kResultOk : kResultFailed;
    case kActionEnd: return SystemEnd();
    case kActionQuery: return kResultQuery;
    case kActionMessage:
      return PluginMessage(Int32(reinterpret_cast<intptr_t>(p1)), p2) ? kResultOk : kResultUnknown;
    default: return kResultUnknown;
  }
}

GeResource& GetModuleResource() { return g_resource; }
