#include "module/module_support.h"

#include <cstdlib>
#include <deque>
#include <fstream>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <iostream>

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

// Runs body with every assertion result caught, prints the failed ones to
// stderr (the parent shows it when the child fails) and exits 1 after any
// failure: gtest's own reporting is switched off in a death-test child.
[[noreturn]] void RunAndExit(const std::function<void()>& body)
{
  ::testing::TestPartResultArray results;
  {
    const ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    Console::Instance().Clear();
    body();
  }
  bool failed = false;
  for (int i = 0; i < results.size(); ++i)
  {
    const ::testing::TestPartResult& result = results.GetTestPartResult(i);
    if (!result.failed())
      continue;
    failed = true;
    std::cerr << (result.file_name() ? result.file_name() : "?") << ":" << result.line_number() << ": "
              << result.message() << "\n";
  }
  std::exit(failed ? 1 : 0);
}

} // namespace

void PrintTo(const ModuleFlavour& flavour, std::ostream* out) { *out << flavour.name << " flavour"; }

void RunInChild(const std::function<void()>& body)
{
  EXPECT_EXIT(RunAndExit(body), ::testing::ExitedWithCode(0), "");
}

std::unique_ptr<LoadedModule> Open(const std::string& path)
{
  return OpenModule(path);
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
  return module.Call(ENTRY_ACTION_SYSTEM_INIT, const_cast<HostInterface*>(host), nullptr, module.Context());
}

Int32 SendMessage(LoadedModule& module, Int32 id)
{
  return module.Call(ENTRY_ACTION_MESSAGE, reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
}

Int32 Start(LoadedModule& module) { return module.Call(ENTRY_ACTION_START, nullptr, nullptr, nullptr); }
Int32 End(LoadedModule& module) { return module.Call(ENTRY_ACTION_END, nullptr, nullptr, nullptr); }

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
