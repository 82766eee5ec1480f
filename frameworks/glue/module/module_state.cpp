// Module-wide functions that depend on where the module was loaded from.
#include <string>

#include "hostapi/host_interface.h"
#include "hostapi/module_entry.h"
#include "glue/module/module_state.h"

namespace {
String g_modulePath;

String ModuleFolder()
{
  const auto slash = g_modulePath.find_last_of("/\\");
  return slash == String::npos ? String() : g_modulePath.substr(0, slash);
}

Bool Register(PluginRegistration registration)
{
  registration.resourceFolder = (GeGetPluginPath() + Filename("res")).GetString();
  return GetHostInterface()->core->RegisterPlugin(registration);
}
} // namespace

namespace glue {
void SetModulePath(const String& modulePath) { g_modulePath = modulePath; }
} // namespace glue

Filename GeGetPluginPath() { return Filename(ModuleFolder()); }

String GeLoadString(Int32 id) { return GetModuleResource().LoadString(id); }

Bool RegisterShaderPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                          const String& description, Int32 disklevel)
{
  return Register({PLUGINTYPE_SHADER, id, name, info, allocator, description, nullptr, disklevel, {}});
}

Bool RegisterObjectPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                          const String& description, BaseBitmap* icon, Int32 disklevel)
{
  return Register({PLUGINTYPE_OBJECT, id, name, info, allocator, description, icon, disklevel, {}});
}
