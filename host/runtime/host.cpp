#include "host/runtime/host.h"

#include "host/core/core_types.h"
#include "host/core/input_error.h"
#include "host/core/node_factory.h"
#include "host/runtime/families.h"

namespace qhost {

Host& Host::Instance()
{
  static Host host;
  return host;
}

Host::Host()
{
  interface_.apiVersion = kHostApiVersion;
  interface_.core = &core_;
  NodeFactory& factory = NodeFactory::Instance();
  RegisterCoreTypes(factory);
  ConnectFamilies(interface_, factory);
  BindHostInterface(&interface_);
}

ModuleStatus Host::LoadModule(const String& path)
{
  ModuleStatus status;
  status.path = path;
  // A module that cannot be opened is reported in its status, as one that
  // refuses to start is, so the others still load.
  std::unique_ptr<LoadedModule> module;
  try
  {
    module = OpenModule(path);
  }
  catch (const InputError& e)
  {
    status.error = e.what();
    return status;
  }
  if (const CoreModuleRecord* record = module->CoreRecord(); record && record->moduleId)
  {
    status.moduleId = record->moduleId;
    status.moduleVersion = record->version;
  }
  status.report = StartModule(*module, interface_);
  if (status.report.initResult == ENTRY_RESULT_REFUSED)
    status.error = path + ": the module refused this host (API version " + std::to_string(interface_.apiVersion) + ")";
  else if (status.report.initResult != ENTRY_RESULT_OK)
    status.error = path + ": system initialisation failed (" + std::to_string(status.report.initResult) + ")";
  else if (status.report.messageResult != ENTRY_RESULT_OK)
    status.error = path + ": the module could not load its resources";
  else if (status.report.startResult != ENTRY_RESULT_OK)
    status.error = path + ": the module failed to start: " + core_.LastRegistrationError();
  modules_.push_back(std::move(module));
  return status;
}

std::vector<ModuleStatus> Host::LoadPlugins(const String& folder)
{
  std::vector<ModuleStatus> statuses;
  for (const String& file : FindModuleFiles(folder))
    statuses.push_back(LoadModule(file));
  return statuses;
}

void Host::EndModules()
{
  for (auto& module : modules_)
    EndModule(*module);
}

} // namespace qhost
