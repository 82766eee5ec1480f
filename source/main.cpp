// Module entry: loads the resources and registers the shader and the generator.
#include "hostapi/api.h"
#include "hostapi/entry_protocol.h"
#include "hostapi/module_entry.h"
#include "plugin_ids.h"
#include "quorvane_shader.h"
#include "rockmaker.h"

namespace {

constexpr Int32 kRockMakerInfo = 33036; // 0x810C

Bool RegisterQuorvaneShader()
{
  const String name = GeLoadString(IDS_XQUORVANE);
  return RegisterShaderPlugin(ID_XQUORVANE, name, 0, QuorvaneShader::Alloc, "XQuorvane", 0);
}

Bool RegisterRockMaker()
{
  AutoBitmap icon(GeGetPluginPath() + Filename("res") + Filename("quorvane.png"), 1.0);
  const String name = GeLoadString(IDS_OXROCK);
  return RegisterObjectPlugin(ID_OXROCK, name, kRockMakerInfo, RockMaker::Alloc, "oxrock", icon, 0);
}

} // namespace

Bool PluginStart()
{
  if (!RegisterQuorvaneShader())
  {
    ApplicationOutput("Failed to register the Quorvane shader.");
    return false;
  }
  if (!RegisterRockMaker())
  {
    ApplicationOutput("Failed to register the Quorvane Maker object.");
    return false;
  }
  return true;
}

Bool PluginMessage(Int32 id, void* /*data*/)
{
  switch (id)
  {
    case ENTRY_MESSAGE_QUERY: return true;
    case ENTRY_MESSAGE_LOAD_RESOURCES:
      if (GetModuleResource().Init(GeGetPluginPath()))
        return true;
      ApplicationOutput("Quorvane: failed to load resource file.");
      return false;
    default: return false;
  }
}

void PluginEnd() {}
