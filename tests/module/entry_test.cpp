// The module's entry point and registration, driven through the host's loader
// as the host drives it at start-up. Each case runs in its own process (see
// RunInChild): the module, the registry and the console are process-wide.
#include <filesystem>
#include <gtest/gtest.h>

#include "host/core/node_factory.h"
#include "host/runtime/host.h"
#include "module/module_support.h"

namespace qhost::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr Int32 kShaderId = 1065197;
constexpr Int32 kGeneratorId = 1063355;
constexpr char kResourceFailure[] = "Quorvane: failed to load resource file.";
constexpr char kShaderFailure[] = "Failed to register the Quorvane shader.";
constexpr char kGeneratorFailure[] = "Failed to register the Quorvane Maker object.";

const HostInterface* CurrentHost() { return &Host::Instance().Interface(); }

class ModuleEntryTest : public ::testing::TestWithParam<ModuleFlavour>
{
protected:
  void SetUp() override
  {
    builtPath_ = BuiltModulePath(GetParam());
    if (builtPath_.empty())
      GTEST_SKIP() << "the " << GetParam().name << " flavour was not built";
  }

  const std::string& BuiltPath() const { return builtPath_; }
  Int32 Floor() const { return GetParam().minApiVersion; }

private:
  std::string builtPath_;
};

// ---- Start-up as the host does it --------------------------------------------------

TEST_P(ModuleEntryTest, StartRegistersShaderAndGenerator)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    ASSERT_EQ(Start(*module), 1);
    EXPECT_EQ(ModuleConsoleLines(), Lines{});

    const auto plugins = NodeFactory::Instance().Plugins();
    ASSERT_EQ(plugins.size(), 2u);
    const PluginRegistration& shader = plugins[0]->registration;
    EXPECT_EQ(shader.id, kShaderId);
    EXPECT_EQ(shader.pluginType, PLUGINTYPE_SHADER);
    EXPECT_EQ(shader.name, "Quorvane");
    EXPECT_EQ(shader.info, 0);
    EXPECT_EQ(shader.description, "XQuorvane");
    EXPECT_EQ(shader.disklevel, 0);
    EXPECT_EQ(plugins[0]->icon, nullptr);
    EXPECT_FALSE(plugins[0]->description.elements.empty());

    const PluginRegistration& generator = plugins[1]->registration;
    EXPECT_EQ(generator.id, kGeneratorId);
    EXPECT_EQ(generator.pluginType, PLUGINTYPE_OBJECT);
    EXPECT_EQ(generator.name, "Quorvane Maker");
    EXPECT_EQ(generator.info, 0x810C);
    EXPECT_EQ(generator.description, "oxrock");
    EXPECT_EQ(generator.disklevel, 0);
    EXPECT_NE(plugins[1]->icon, nullptr);
    EXPECT_FALSE(plugins[1]->description.elements.empty());

    EXPECT_EQ(End(*module), 1);
  });
}

TEST_P(ModuleEntryTest, ActionsAndMessagesWithoutMeaningChangeNothing)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(SendMessage(*module, 0), 1);
    EXPECT_EQ(SendMessage(*module, 2), -1);
    EXPECT_EQ(SendMessage(*module, -1), -1);
    EXPECT_EQ(module->Call(4, nullptr, nullptr, nullptr), 5);
    for (const Int32 action : {0, 5, 7, 100})
      EXPECT_EQ(module->Call(action, nullptr, nullptr, nullptr), -1) << "action " << action;
    EXPECT_EQ(ModuleConsoleLines(), Lines{});
    EXPECT_TRUE(NodeFactory::Instance().Plugins().empty());
    // Message 0 did not load the resource: only message 1 does.
    ASSERT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "");
  });
}

// ---- Host version and module context -----------------------------------------------

TEST_P(ModuleEntryTest, OldestAcceptedHostStarts)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, HostReporting(Floor())), 1);
    EXPECT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kGeneratorId), "Quorvane Maker");
  });
}

TEST_P(ModuleEntryTest, HostBelowFloorIsRefusedButCounted)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    EXPECT_EQ(SystemInit(*module, HostReporting(Floor() - 1)), -3);
    // The refused initialisation still counts: its end brings the count back
    // to zero, so the next initialisation is a first one again.
    EXPECT_EQ(End(*module), 1);
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "Quorvane");
  });
}

TEST_P(ModuleEntryTest, MissingModuleContextIsRefused)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    EXPECT_EQ(module->Call(1, const_cast<HostInterface*>(CurrentHost()), nullptr, nullptr), -3);
    EXPECT_EQ(ModuleConsoleLines(), Lines{});
  });
}

// ---- Nested initialisation ---------------------------------------------------------

TEST_P(ModuleEntryTest, SecondInitialisationChangesNothing)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    // Neither a too-old host nor a missing context matters any more.
    EXPECT_EQ(module->Call(1, const_cast<HostInterface*>(HostReporting(Floor() - 1)), nullptr, nullptr), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    // The first end only undoes the second initialisation: the resource and
    // the module's folder stay.
    EXPECT_EQ(End(*module), 1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "Quorvane");
    EXPECT_EQ(RegisteredName(kGeneratorId), "Quorvane Maker");
  });
}

TEST_P(ModuleEntryTest, OnlyTheLastEndReleasesTheResource)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(End(*module), 1);
    EXPECT_EQ(End(*module), 1);
    // A new first initialisation without message 1: the old resource is gone.
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "");
    EXPECT_EQ(RegisteredName(kGeneratorId), "");
    EXPECT_EQ(ModuleConsoleLines(), Lines{});
  });
}

// ---- Missing resources -------------------------------------------------------------

TEST_P(ModuleEntryTest, StartWithoutMessageOneRegistersEmptyNames)
{
  RunInChild([&] {
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "");
    EXPECT_EQ(RegisteredName(kGeneratorId), "");
    EXPECT_EQ(ModuleConsoleLines(), Lines{});
  });
}

TEST_P(ModuleEntryTest, BrokenStringTableFailsMessageOneAndNamesStayEmpty)
{
  RunInChild([&] {
    ScratchFolder folder;
    const std::string path = CopyModule(BuiltPath(), folder.Path());
    std::filesystem::remove(std::filesystem::path(path).parent_path() / "res" / "strings.json");
    auto module = Open(path);
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(SendMessage(*module, 1), -1);
    EXPECT_EQ(Start(*module), 1);
    EXPECT_EQ(RegisteredName(kShaderId), "");
    EXPECT_EQ(RegisteredName(kGeneratorId), "");
    EXPECT_EQ(ModuleConsoleLines(), Lines{kResourceFailure});
  });
}

TEST_P(ModuleEntryTest, MissingResourceFolderRegistersNothing)
{
  RunInChild([&] {
    ScratchFolder folder;
    auto module = Open(CopyModule(BuiltPath(), folder.Path(), false));
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    EXPECT_EQ(SendMessage(*module, 1), -1);
    // Without description files the host refuses the shader, and the
    // generator is never tried.
    EXPECT_EQ(Start(*module), 0);
    EXPECT_TRUE(NodeFactory::Instance().Plugins().empty());
    EXPECT_EQ(ModuleConsoleLines(), (Lines{kResourceFailure, kShaderFailure}));
  });
}

TEST_P(ModuleEntryTest, MissingIconRegistersGeneratorWithoutIcon)
{
  RunInChild([&] {
    ScratchFolder folder;
    const std::string path = CopyModule(BuiltPath(), folder.Path());
    std::filesystem::remove(std::filesystem::path(path).parent_path() / "res" / "quorvane.png");
    auto module = Open(path);
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(Start(*module), 1);
    const PluginInfo* generator = NodeFactory::Instance().FindPlugin(kGeneratorId);
    ASSERT_NE(generator, nullptr);
    EXPECT_EQ(generator->icon, nullptr);
    EXPECT_EQ(ModuleConsoleLines(), Lines{});
  });
}

// ---- Refused registrations ---------------------------------------------------------

TEST_P(ModuleEntryTest, RefusedShaderStopsBeforeGenerator)
{
  RunInChild([&] {
    ScratchFolder folder;
    OccupyPluginId(kShaderId, folder);
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(Start(*module), 0);
    EXPECT_EQ(ModuleConsoleLines(), Lines{kShaderFailure});
    EXPECT_EQ(RegisteredName(kShaderId), "Stand-in");
    EXPECT_EQ(RegisteredName(kGeneratorId), "<none>");
  });
}

TEST_P(ModuleEntryTest, RefusedGeneratorKeepsShader)
{
  RunInChild([&] {
    ScratchFolder folder;
    OccupyPluginId(kGeneratorId, folder);
    auto module = Open(BuiltPath());
    ASSERT_EQ(SystemInit(*module, CurrentHost()), 1);
    ASSERT_EQ(SendMessage(*module, 1), 1);
    EXPECT_EQ(Start(*module), 0);
    EXPECT_EQ(ModuleConsoleLines(), Lines{kGeneratorFailure});
    EXPECT_EQ(RegisteredName(kShaderId), "Quorvane");
    EXPECT_EQ(RegisteredName(kGeneratorId), "Stand-in");
  });
}

INSTANTIATE_TEST_SUITE_P(Flavours, ModuleEntryTest, ::testing::Values(kDefaultFlavour, kMacosFlavour),
                         [](const ::testing::TestParamInfo<ModuleFlavour>& info) { return std::string(info.param.name); });

// Between the two floors only the default flavour accepts the host.
TEST(ModuleFlavours, HostBetweenTheFloorsStartsOnlyTheDefaultFlavour)
{
  const std::string defaultPath = BuiltModulePath(kDefaultFlavour);
  const std::string macosPath = BuiltModulePath(kMacosFlavour);
  if (defaultPath.empty() || macosPath.empty())
    GTEST_SKIP() << "both flavours are needed";
  RunInChild([&] {
    const HostInterface* host = HostReporting(2025150);
    auto macos = Open(macosPath);
    EXPECT_EQ(SystemInit(*macos, host), -3);
    auto standard = Open(defaultPath);
    ASSERT_EQ(SystemInit(*standard, host), 1);
    EXPECT_EQ(SendMessage(*standard, 1), 1);
    EXPECT_EQ(Start(*standard), 1);
  });
}

} // namespace
} // namespace qhost::testing
