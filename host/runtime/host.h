// Our host: the services behind the API, the node types of every family, and
// the modules loaded into it. One per process, as with the real application.
#pragma once

#include <memory>
#include <vector>

#include "host/core/core_services.h"
#include "host/core/module_loader.h"

namespace qhost {

// The API version this host reports to modules.
constexpr Int32 kHostApiVersion = 2025300;

struct ModuleStatus
{
  String path;
  String error; // empty when the module started
  StartReport report;
  String moduleId; // from the module's core record; empty when it exports none
  Int32 moduleVersion = 0;
};

class Host
{
public:
  // The process's host: services created, node types registered, its own copy
  // of the API glue bound to it.
  static Host& Instance();

  const HostInterface& Interface() const { return interface_; }
  // The record the modules were handed; benchmarks wrap a service table in it
  // to time what the modules ask of the host.
  HostInterface& MutableInterface() { return interface_; }
  // The API version reported to modules loaded from now on (kHostApiVersion
  // unless chosen otherwise, e.g. to try a module's version check).
  void SetApiVersion(Int32 version) { interface_.apiVersion = version; }
  CoreServicesImpl& CoreServicesObject() { return core_; }

  // Loads and starts every module in a plug-ins folder.
  std::vector<ModuleStatus> LoadPlugins(const String& folder);
  // Loads and starts one module file.
  ModuleStatus LoadModule(const String& path);
  // Sends the end action to every started module.
  void EndModules();

private:
  Host();
  CoreServicesImpl core_;
  HostInterface interface_;
  std::vector<std::unique_ptr<LoadedModule>> modules_;
};

} // namespace qhost
