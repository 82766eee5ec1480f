// `quorvane plugins` run as a user would, on plug-ins folders with good,
// foreign and damaged modules: every problem is a message and a non-zero exit.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "cli/cli_support.h"
#include "module/module_files.h"

namespace qhost::testing {
namespace {

namespace fs = std::filesystem;

class PluginsCommandTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    defaultModule_ = BuiltModulePath(kDefaultFlavour);
    ASSERT_FALSE(defaultModule_.empty()) << "the default module was not built";
  }

  // A copy of the default module in the scratch folder; returns its res/ folder.
  fs::path AddDefaultModule() { return fs::path(CopyModule(defaultModule_, folder_.Path())).parent_path() / "res"; }

  void WriteFile(const std::string& name, const std::string& content)
  {
    std::ofstream(folder_.Path() / name, std::ios::binary) << content;
  }

  CommandResult ListPlugins(std::vector<std::string> extraOptions = {})
  {
    std::vector<std::string> args = std::move(extraOptions);
    args.insert(args.end(), {"--plugins", folder_.Path().string(), "plugins"});
    return RunQuorvane(args);
  }

  ScratchFolder folder_;
  std::string defaultModule_;
};

// The rows of the listing for a plug-in ID.
std::vector<std::string> RowsOf(const CommandResult& result, const std::string& id)
{
  std::vector<std::string> rows;
  for (const std::string& line : LinesContaining(result.out, id))
    if (line.rfind(id + " ", 0) == 0)
      rows.push_back(line);
  return rows;
}

// The one row for a plug-in ID; a failure unless there is exactly one.
std::string RowOf(const CommandResult& result, const std::string& id)
{
  const std::vector<std::string> rows = RowsOf(result, id);
  EXPECT_EQ(rows.size(), 1u) << result.out;
  return rows.empty() ? std::string() : rows.front();
}

void ExpectCleanFailure(const CommandResult& result)
{
  EXPECT_TRUE(result.exited) << "the application crashed\n" << result.err;
  EXPECT_NE(result.exitCode, 0);
}

// ---- Listing ----------------------------------------------------------------------

TEST_F(PluginsCommandTest, ListsShaderAndGeneratorWithTheirRegistration)
{
  AddDefaultModule();
  const CommandResult result = ListPlugins();
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");

  const std::string shader = RowOf(result, "1065197");
  EXPECT_NE(shader.find(" shader "), std::string::npos) << shader;
  EXPECT_NE(shader.find(" Quorvane "), std::string::npos) << shader;
  EXPECT_NE(shader.find(" 0x0 "), std::string::npos) << shader;
  EXPECT_NE(shader.find("XQuorvane"), std::string::npos) << shader;

  const std::string generator = RowOf(result, "1063355");
  EXPECT_NE(generator.find(" object "), std::string::npos) << generator;
  EXPECT_NE(generator.find(" Quorvane Maker "), std::string::npos) << generator;
  EXPECT_NE(generator.find(" 0x810C "), std::string::npos) << generator;
  EXPECT_NE(generator.find("oxrock"), std::string::npos) << generator;
  EXPECT_TRUE(LinesContaining(result.out, "[console]").empty()) << result.out;
}

TEST_F(PluginsCommandTest, DefaultPluginsFolderIsBesideTheExecutable)
{
  const CommandResult result = RunQuorvane({"plugins"});
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  RowOf(result, "1065197");
  RowOf(result, "1063355");
}

// ---- Folders without a usable module --------------------------------------------

TEST_F(PluginsCommandTest, EmptyOrMissingFolderIsAUsageError)
{
  const CommandResult empty = ListPlugins();
  ExpectCleanFailure(empty);
  EXPECT_NE(empty.err.find("no module"), std::string::npos) << empty.err;

  const CommandResult missing = RunQuorvane({"--plugins", folder_ / "nowhere", "plugins"});
  ExpectCleanFailure(missing);
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
}

TEST_F(PluginsCommandTest, FileThatIsNoLibraryIsReported)
{
  WriteFile("junk.dud64", "this is text, not a shared library\n");
  const CommandResult result = ListPlugins();
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "junk.dud64: not a loadable module").size(), 1u) << result.err;
}

TEST_F(PluginsCommandTest, LibraryWithoutEntryPointIsReported)
{
  fs::copy_file(QV_NOT_A_MODULE, folder_.Path() / "foreign.ruvi");
  const CommandResult result = ListPlugins();
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "foreign.ruvi: the library exports no plugin_main").size(), 1u)
      << result.err;
}

TEST_F(PluginsCommandTest, BrokenModuleDoesNotStopAGoodOne)
{
  AddDefaultModule();
  WriteFile("junk.dud64", std::string(4096, '\x7f'));
  const CommandResult result = ListPlugins();
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "junk.dud64").size(), 1u) << result.err;
  RowOf(result, "1065197");
  RowOf(result, "1063355");
}

// ---- Host version -----------------------------------------------------------------

TEST_F(PluginsCommandTest, ChosenHostVersionDecidesWhichFlavourStarts)
{
  const std::string macosModule = BuiltModulePath(kMacosFlavour);
  if (macosModule.empty())
    GTEST_SKIP() << "the macOS flavour was not built";
  CopyModule(macosModule, folder_.Path());

  const CommandResult refused = ListPlugins({"--host-api-version", "2025150"});
  ExpectCleanFailure(refused);
  EXPECT_EQ(LinesContaining(refused.err, "QuorvaneR2025.ruvi: the module refused this host (API version 2025150)").size(),
            1u)
      << refused.err;
  EXPECT_TRUE(RowsOf(refused, "1065197").empty()) << refused.out;

  const CommandResult accepted = ListPlugins({"--host-api-version", "2025200"});
  ASSERT_TRUE(accepted.exited);
  EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
  RowOf(accepted, "1063355");
}

TEST_F(PluginsCommandTest, DefaultFlavourAcceptsHostsFromItsOwnFloor)
{
  AddDefaultModule();
  const CommandResult between = ListPlugins({"--host-api-version", "2025150"});
  EXPECT_EQ(between.exitCode, 0) << between.err;
  const CommandResult old = ListPlugins({"--host-api-version", "2025099"});
  ExpectCleanFailure(old);
  EXPECT_NE(old.err.find("refused this host (API version 2025099)"), std::string::npos) << old.err;
}

TEST_F(PluginsCommandTest, HostVersionMustBeANumber)
{
  AddDefaultModule();
  ExpectCleanFailure(ListPlugins({"--host-api-version", "recent"}));
  ExpectCleanFailure(ListPlugins({"--host-api-version", "-5"}));
}

// ---- Damaged resources ------------------------------------------------------------

TEST_F(PluginsCommandTest, MissingGeneratorDescriptionRefusesOnlyTheGenerator)
{
  fs::remove(AddDefaultModule() / "description" / "oxrock.json");
  // -v shows the module's own console lines, which say why it refused.
  const CommandResult result = ListPlugins({"-v"});
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "[console] Failed to register the Quorvane Maker object.").size(), 1u)
      << result.err;
  EXPECT_EQ(LinesContaining(result.err, "failed to start").size(), 1u) << result.err;
  EXPECT_NE(result.err.find("oxrock.json: cannot open description"), std::string::npos) << result.err;
  RowOf(result, "1065197");
  EXPECT_TRUE(RowsOf(result, "1063355").empty()) << result.out;
}

TEST_F(PluginsCommandTest, BrokenShaderDescriptionRefusesBothPlugins)
{
  const fs::path description = AddDefaultModule() / "description" / "XQuorvane.json";
  std::ofstream(description, std::ios::trunc) << "{ \"name\": \"XQuorvane\", \"elements\": [ {";
  // -v shows the module's own console lines, which say why it refused.
  const CommandResult result = ListPlugins({"-v"});
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "[console] Failed to register the Quorvane shader.").size(), 1u)
      << result.err;
  EXPECT_NE(result.err.find("XQuorvane.json: broken description"), std::string::npos) << result.err;
  EXPECT_TRUE(RowsOf(result, "1065197").empty()) << result.out;
  EXPECT_TRUE(RowsOf(result, "1063355").empty()) << result.out;
}

TEST_F(PluginsCommandTest, MissingStringTableListsUnnamedPlugins)
{
  fs::remove(AddDefaultModule() / "strings.json");
  // -v shows the module's own console lines, which say why it refused.
  const CommandResult result = ListPlugins({"-v"});
  ExpectCleanFailure(result);
  EXPECT_EQ(LinesContaining(result.err, "[console] Quorvane: failed to load resource file.").size(), 1u)
      << result.err;
  EXPECT_EQ(LinesContaining(result.err, "could not load its resources").size(), 1u) << result.err;
  EXPECT_NE(RowOf(result, "1065197").find("(no name)"), std::string::npos);
}

// ---- Exported symbols -------------------------------------------------------------

std::vector<std::string> DefinedDynamicSymbols(const std::string& library)
{
  const CommandResult result = RunCommand("nm", {"-D", "--defined-only", library});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> names;
  std::stringstream lines(result.out);
  for (std::string line; std::getline(lines, line);)
  {
    std::stringstream fields(line);
    std::string address, kind, name;
    if (fields >> address >> kind >> name)
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ModuleSymbols, BothFlavoursExportExactlyTheEntryAndTheTwoDataSymbols)
{
  if (!ProgramInPath("nm"))
    GTEST_SKIP() << "nm is not installed";
  const std::vector<std::string> expected{"g_CpuYieldDelegate", "g_core", "plugin_main"};
  for (const ModuleFlavour& flavour : {kDefaultFlavour, kMacosFlavour})
  {
    const std::string path = BuiltModulePath(flavour);
    if (path.empty())
      continue;
    EXPECT_EQ(DefinedDynamicSymbols(path), expected) << path;
  }
}

} // namespace
} // namespace qhost::testing
