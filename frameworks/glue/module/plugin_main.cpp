// The module's entry point: turns the host's actions into calls of
// PluginStart, PluginMessage and PluginEnd, and keeps the module-wide state.
#include <string>

#include "hostapi/entry_protocol.h"
#include "hostapi/host_interface.h"
#include "hostapi/module_entry.h"
#include "glue/module/module_state.h"
#include "quorvane_version.h"

#define QV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const CoreModuleRecord kCoreModule{"net.quorvane.module", QUORVANE_VERSION_NUMBER};

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
    return ENTRY_RESULT_OK;
  if (!BindHost(p1) || !p3)
    return ENTRY_RESULT_REFUSED;
  const auto* context = static_cast<const ModuleContext*>(p3);
  glue::SetModulePath(context->modulePath ? context->modulePath : "");
  return ENTRY_RESULT_OK;
}

Int32 SystemEnd()
{
  if (--g_initCount != 0)
    return ENTRY_RESULT_OK;
  PluginEnd();
  g_resource.Free();
  glue::SetModulePath("");
  return ENTRY_RESULT_OK;
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
    case ENTRY_ACTION_SYSTEM_INIT: return SystemInit(p1, p3);
    case ENTRY_ACTION_START: return PluginStart() ? ENTRY_RESULT_OK : ENTRY_RESULT_FAILED;
    case ENTRY_ACTION_END: return SystemEnd();
    case ENTRY_ACTION_QUERY: return ENTRY_RESULT_QUERY;
    case ENTRY_ACTION_MESSAGE:
      return PluginMessage(Int32(reinterpret_cast<intptr_t>(p1)), p2) ? ENTRY_RESULT_OK : ENTRY_RESULT_UNKNOWN;
    default: return ENTRY_RESULT_UNKNOWN;
  }
}

GeResource& GetModuleResource() { return g_resource; }
