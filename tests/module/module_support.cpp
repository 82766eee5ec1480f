#include "module/module_support.h"

#include <cstdlib>
#include <deque>
#include <fstream>
#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "host/runtime/host.h"

namespace qhost::testing {
namespace {

// Never called: the stand-in only has to hold its ID.
NodeData* AllocNothing() { return nullptr; }

bool EndsWith(const std::string& text, const std::string& suffix)
{
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

void RunInChild(const std::function<void()>& body)
{
  EXPECT_EXIT(
      {
        Console::Instance().Clear();
        body();
        std::exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

std::unique_ptr<LoadedModule> Open(const std::string& path)
{
  String error;
  auto module = OpenModule(path, error);
  EXPECT_NE(module, nullptr) << error;
  return module;
}

const HostInterface* HostReporting(Int32 apiVersion)
{
  static std::deque<HostInterface> records;
  records.push_back(Host::Instance().Interface());
  records.back().apiVersion = apiVersion;
  return &records.back();
}

Int32 SystemInit(LoadedModule& module, const HostInterface* host)
{
  return module.Call(kActionSystemInit, const_cast<HostInterface*>(host), nullptr, module.Context());
}

Int32 SendMessage(LoadedModule& module, Int32 id)
{
  return module.Call(kActionMessage, reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
}

Int32 Start(LoadedModule& module) { return module.Call(kActionStart, nullptr, nullptr, nullptr); }
Int32 End(LoadedModule& module) { return module.Call(kActionEnd, nullptr, nullptr, nullptr); }

std::vector<std::string> ModuleConsoleLines()
{
  std::vector<std::string> texts;
  for (const ConsoleLine& line : Console::Instance().Lines())
  {
    if (line.file == "host")
      continue;
    EXPECT_TRUE(EndsWith(line.file, "main.cpp")) << line.file;
    EXPECT_GT(line.line, 0);
    EXPECT_EQ(line.kind, OUTPUT::NORMAL);
    EXPECT_EQ(line.audience, TARGETAUDIENCE::ALL);
    EXPECT_EQ(line.meta, WRITEMETA::DEFAULT);
    texts.push_back(line.text);
  }
  return texts;
}

std::string RegisteredName(Int32 pluginId)
{
  const PluginInfo* plugin = NodeFactory::Instance().FindPlugin(pluginId);
  return plugin ? plugin->registration.name : "<none>";
}

void OccupyPluginId(Int32 pluginId, const ScratchFolder& folder)
{
  const auto descriptions = folder.Path() / "stand_in_res" / "description";
  std::filesystem::create_directories(descriptions);
  std::ofstream(descriptions / "stand_in.json") << R"({"name": "stand_in", "elements": []})";
  PluginRegistration registration;
  registration.pluginType = PLUGINTYPE_SHADER;
  registration.id = pluginId;
  registration.name = "Stand-in";
  registration.allocator = AllocNothing;
  registration.description = "stand_in";
  registration.resourceFolder = (folder.Path() / "stand_in_res").string();
  ASSERT_TRUE(Host::Instance().CoreServicesObject().RegisterPlugin(registration))
      << Host::Instance().CoreServicesObject().LastRegistrationError();
}

} // namespace qhost::testing
