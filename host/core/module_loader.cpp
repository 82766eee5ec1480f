#include "host/core/module_loader.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>

#include "host/core/input_error.h"

namespace qhost {
namespace {

bool IsModuleFile(const std::filesystem::path& p)
{
  const auto ext = p.extension().string();
  return ext == ".dud64" || ext == ".ruvi";
}

} // namespace

LoadedModule::LoadedModule(String path, void* handle, PluginMainFunction entry)
    : path_(std::move(path)), handle_(handle), entry_(entry)
{
  context_.modulePath = path_.c_str();
}

// Modules stay mapped for the life of the process: plug-in instances and their
// code may outlive the end action (the host frees its documents later).
LoadedModule::~LoadedModule() { (void)handle_; }

const CoreModuleRecord* LoadedModule::CoreRecord() const
{
  // g_core is a pointer variable; dlsym gives its address.
  const auto* slot = static_cast<const void* const*>(dlsym(handle_, "g_core"));
  return slot ? static_cast<const CoreModuleRecord*>(*slot) : nullptr;
}

std::unique_ptr<LoadedModule> OpenModule(const String& path)
{
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec))
    throw InputError(path + ": no such module file");
  const String absolute = fs::absolute(path, ec).string();
  void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle)
  {
    const char* reason = dlerror();
    throw InputError(path + ": not a loadable module (" + (reason ? reason : "unknown reason") + ")");
  }
  auto* entry = reinterpret_cast<PluginMainFunction>(dlsym(handle, "plugin_main"));
  if (!entry)
  {
    dlclose(handle);
    throw InputError(path + ": the library exports no plugin_main");
  }
  return std::make_unique<LoadedModule>(absolute, handle, entry);
}

StartReport StartModule(LoadedModule& module, const HostInterface& host)
{
  StartReport report;
  report.initResult =
      module.Call(ENTRY_ACTION_SYSTEM_INIT, const_cast<HostInterface*>(&host), nullptr, module.Context());
  if (report.initResult != ENTRY_RESULT_OK)
    return report;
  report.messageResult =
      module.Call(ENTRY_ACTION_MESSAGE, reinterpret_cast<void*>(intptr_t(ENTRY_MESSAGE_LOAD_RESOURCES)), nullptr, nullptr);
  report.startResult = module.Call(ENTRY_ACTION_START, nullptr, nullptr, nullptr);
  return report;
}

Int32 EndModule(LoadedModule& module) { return module.Call(ENTRY_ACTION_END, nullptr, nullptr, nullptr); }

std::vector<String> FindModuleFiles(const String& pluginsFolder)
{
  namespace fs = std::filesystem;
  std::vector<String> files;
  std::error_code ec;
  if (!fs::is_directory(pluginsFolder, ec))
    return files;
  for (const auto& entry : fs::directory_iterator(pluginsFolder, ec))
  {
    if (entry.is_regular_file() && IsModuleFile(entry.path()))
      files.push_back(entry.path().string());
    else if (entry.is_directory())
      for (const auto& inner : fs::directory_iterator(entry.path(), ec))
        if (inner.is_regular_file() && IsModuleFile(inner.path()))
          files.push_back(inner.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

} // namespace qhost
