// `quorvane serve` end to end over HTTP: what the page may ask, what it may
// not, files confined to the working folder, and many clients at once.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/cli_support.h"
#include "cli/workbench_server_support.h"

namespace qhost::testing {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr int kStrength = 10026; // the first layer's parameters
constexpr int kFlatten = 10032;
constexpr int kNoiseType = 10025;
constexpr int kSeed = 2008;
constexpr int kSubdivisions = 2000;

// The current value of a parameter as the server describes it.
json ValueOf(const WorkbenchServer& server, const std::string& node, int id)
{
  const json described = server.Get("/api/describe").body;
  for (const json& group : described[node]["groups"])
    for (const json& e : group["elements"])
      if (e["id"] == id)
        return e["value"];
  ADD_FAILURE() << node << " shows no parameter " << id;
  return nullptr;
}

json Set(int id, json value, bool final = true)
{
  return {{"node", "generator"}, {"id", id}, {"value", std::move(value)}, {"final", final}};
}

TEST(ServeCli, ParametersChangeAndTheRockIsRebuilt)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  const json first = server.BuildAfter(0);
  EXPECT_EQ(first["error"], "");
  EXPECT_TRUE(first["final"].get<bool>());
  EXPECT_TRUE(first["closed"].get<bool>());
  EXPECT_GT(first["polygons"].get<int>(), 1000);
  const std::string firstMesh = server.Client().Get("/api/mesh.glb")->body;
  EXPECT_EQ(firstMesh.substr(0, 4), "glTF");

  const JsonReply set = server.Post("/api/set", Set(kStrength, 40));
  ASSERT_EQ(set.status, 200) << set.body;
  const json second = server.BuildAfter(first["generation"]);
  EXPECT_EQ(second["generation"], set.body["generation"]);
  EXPECT_DOUBLE_EQ(ValueOf(server, "generator", kStrength).get<double>(), 40.0);
  EXPECT_NE(server.Client().Get("/api/mesh.glb")->body, firstMesh);
  const std::string preview = server.Client().Get("/api/preview.png")->body;
  EXPECT_EQ(preview.substr(1, 3), "PNG");

  // A choice by label or by value, a switch, a vector.
  EXPECT_EQ(server.Post("/api/set", Set(kNoiseType, "fBm")).status, 200);
  EXPECT_EQ(ValueOf(server, "generator", kNoiseType), 8);
  EXPECT_EQ(server.Post("/api/set", Set(kNoiseType, 32)).status, 200);
  EXPECT_EQ(ValueOf(server, "generator", kNoiseType), 32);
  EXPECT_EQ(server.Post("/api/set", Set(10027, json::array({50, 100, 150}))).status, 200);
  EXPECT_EQ(ValueOf(server, "generator", 10027), json::array({50.0, 100.0, 150.0}));
  EXPECT_EQ(server.Post("/api/set", {{"node", "shader"}, {"id", 10002}, {"value", 2.5}}).status, 200);
  EXPECT_DOUBLE_EQ(ValueOf(server, "shader", 10002).get<double>(), 2.5);
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

TEST(ServeCli, RefusedRequestsChangeNothing)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  const json before = server.Get("/api/describe").body;
  const auto refused = [&](const json& body, const std::string& says) {
    const JsonReply reply = server.Post("/api/set", body);
    EXPECT_EQ(reply.status, 400) << body;
    EXPECT_NE(reply.body["error"].get<std::string>().find(says), std::string::npos) << reply.body;
  };
  refused(Set(kFlatten, 150), "limited to 0% .. 100%");
  refused(Set(kFlatten, -1), "limited to");
  refused(Set(kStrength, "strong"), "expected a number");
  refused(Set(kStrength, true), "expected a number");
  refused(Set(2001, 1), "true or false");
  refused(Set(10027, json::array({1, 2})), "three numbers");
  refused(Set(kNoiseType, "Plaid"), "Plaid");
  refused(Set(424242, 1), "no parameter 424242");
  refused(Set(10028, true), "greyed out"); // Absolute Values is disabled in Add mode
  refused(Set(3002, 1), "cannot be set"); // a button
  refused({{"node", "camera"}, {"id", kSeed}, {"value", 1}}, "\"node\"");
  refused({{"node", "generator"}, {"id", kSeed}, {"value", 1}, {"colour", "red"}}, "\"colour\"");
  refused({{"node", "generator"}, {"id", "2008"}, {"value", 1}}, "\"id\"");
  refused({{"node", "generator"}, {"id", kSeed}}, "\"value\"");
  EXPECT_EQ(server.Post("/api/press", {{"node", "generator"}, {"id", 3003}}).status, 400); // Remove at one layer
  EXPECT_EQ(server.Post("/api/press", {{"node", "generator"}, {"id", kSeed}}).status, 400);
  // Not JSON at all, or not sent as JSON, or too big.
  httplib::Client client = server.Client();
  EXPECT_EQ(client.Post("/api/set", "node=generator&id=2008&value=1", "application/x-www-form-urlencoded")->status,
            415);
  EXPECT_EQ(client.Post("/api/set", "{not json", "application/json")->status, 400);
  EXPECT_EQ(client.Post("/api/set", std::string(200000, ' '), "application/json")->status, 413);
  EXPECT_EQ(client.Get("/api/nothing")->status, 404);
  // A Host header naming another site (a page reaching the server through a
  // name of its own) is refused.
  EXPECT_EQ(client.Get("/api/describe", {{"Host", "attacker.example:80"}})->status, 403);
  EXPECT_EQ(server.Get("/api/describe").body["generator"], before["generator"]);
  EXPECT_EQ(server.Get("/api/describe").body["shader"], before["shader"]);
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

TEST(ServeCli, BuildsBeyondThePolygonLimitAreRefused)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path(""), "--max-polygons", "10000"});
  ASSERT_TRUE(server.Started());
  EXPECT_EQ(server.BuildAfter(0)["polygons"], 1536);
  const JsonReply reply = server.Post("/api/set", Set(kSubdivisions, 6));
  EXPECT_EQ(reply.status, 400);
  EXPECT_NE(reply.body["error"].get<std::string>().find("--max-polygons"), std::string::npos) << reply.body;
  EXPECT_EQ(ValueOf(server, "generator", kSubdivisions), 4);
  EXPECT_EQ(server.Post("/api/set", Set(kSubdivisions, 5)).status, 200);
  EXPECT_EQ(server.NewestBuild()["polygons"], 6144);
}

TEST(ServeCli, QuickBuildsWhileDraggingAndTheFullOneAtTheEnd)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  const json full = server.BuildAfter(0);
  ASSERT_EQ(server.Post("/api/set", Set(kStrength, 60, false)).status, 200);
  const json quick = server.NewestBuild();
  EXPECT_FALSE(quick["final"].get<bool>());
  EXPECT_LT(quick["polygons"].get<int>(), full["polygons"].get<int>());
  // Many changes in a row: whatever is built in between, the last published
  // build is the last change's, at the full resolution.
  std::uint64_t last = 0;
  for (int strength = 61; strength <= 90; ++strength)
    last = server.Post("/api/set", Set(kStrength, strength, strength == 90)).body["generation"];
  const json end = server.NewestBuild();
  EXPECT_EQ(end["generation"], last);
  EXPECT_TRUE(end["final"].get<bool>());
  EXPECT_EQ(end["polygons"], full["polygons"]);
  // Nothing older appears after it.
  EXPECT_EQ(server.Get("/api/build?after=0").body["generation"], last);
}

TEST(ServeCli, ScenesAreSavedAndLoadedInsideTheWorkingFolderOnly)
{
  TestFolder folder;
  fs::create_directories(folder.Path("work"));
  fs::create_directories(folder.Path("outside"));
  fs::create_symlink(folder.Path("outside"), folder.Path("work/out"));
  WorkbenchServer server({"--workdir", folder.Path("work")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  ASSERT_EQ(server.Post("/api/set", Set(kSeed, 77)).status, 200);
  const JsonReply saved = server.Post("/api/save", {{"path", "seed77.json"}});
  ASSERT_EQ(saved.status, 200) << saved.body;
  EXPECT_TRUE(fs::is_regular_file(folder.Path("work/seed77.json")));
  EXPECT_EQ(server.Get("/api/files").body["files"], json::array({"seed77.json"}));

  for (const std::string& path : {folder.Path("outside/a.json"), std::string("../outside/a.json"),
                                  std::string("out/a.json")})
  {
    EXPECT_EQ(server.Post("/api/save", {{"path", path}}).status, 400) << path;
    EXPECT_EQ(server.Post("/api/load", {{"path", path}}).status, 400) << path;
  }
  EXPECT_TRUE(fs::is_empty(folder.Path("outside")));

  ASSERT_EQ(server.Post("/api/set", Set(kSeed, 5)).status, 200);
  // A broken file is refused and the scene stays as it was.
  std::ofstream(folder.Path("work/broken.json")) << "{\"objects\": [";
  EXPECT_EQ(server.Post("/api/load", {{"path", "broken.json"}}).status, 400);
  EXPECT_EQ(ValueOf(server, "generator", kSeed), 5);
  const JsonReply loaded = server.Post("/api/load", {{"path", "seed77.json"}});
  ASSERT_EQ(loaded.status, 200) << loaded.body;
  EXPECT_EQ(ValueOf(server, "generator", kSeed), 77);
  EXPECT_EQ(server.NewestBuild()["error"], "");
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

TEST(ServeCli, DownloadsAreMeshFilesOfTheCurrentRock)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  httplib::Client client = server.Client();
  for (const std::string format : {"glb", "obj", "ply"})
  {
    const httplib::Result result = client.Get("/api/download?format=" + format);
    ASSERT_EQ(result->status, 200) << format;
    const std::string path = folder.Path("rock." + format);
    std::ofstream(path, std::ios::binary) << result->body;
    const CommandResult inspect = RunQuorvane({"inspect", path});
    EXPECT_EQ(inspect.exitCode, 0) << inspect.err;
    EXPECT_EQ(LinesContaining(inspect.out, "closed: yes").size(), 1u) << inspect.out;
  }
  EXPECT_EQ(client.Get("/api/download?format=exe")->status, 400);
}

// The asset the page downloads is what `quorvane asset` makes of the same
// rock, byte for byte; a change still building is waited for.
TEST(ServeCli, TheAssetDownloadIsTheAssetCommandsOutputForTheCurrentRock)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  ASSERT_EQ(server.Post("/api/set", Set(kSeed, 4242)).status, 200);
  httplib::Client client = server.Client();
  client.set_read_timeout(300, 0);
  const httplib::Result asset = client.Post("/api/asset", "{}", "application/json");
  ASSERT_TRUE(asset);
  ASSERT_EQ(asset->status, 200) << asset->body;
  EXPECT_EQ(asset->get_header_value("Content-Disposition"), "attachment; filename=\"rock_asset.glb\"");
  const CommandResult made =
      RunQuorvane({"asset", "--set", "OXROCK_SEED=4242", "--map-size", "1024", "--out", folder.Path("rock.glb")});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::ifstream file(folder.Path("rock.glb"), std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(asset->body.size(), expected.size());
  EXPECT_TRUE(asset->body == expected) << "the downloaded asset differs from the command's";

  EXPECT_EQ(client.Post("/api/asset", "{}", "text/plain")->status, 415);
  EXPECT_EQ(client.Post("/api/asset", R"({"mapSize": 8192})", "application/json")->status, 400);
  EXPECT_EQ(client.Get("/api/asset")->status, 404);
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

// A change that arrives while a full build runs breaks that build off, so
// it is taken and built at once; the builds after a broken-off one make the
// whole rock, even one that changes no parameter of it.
TEST(ServeCli, AFullBuildBreaksOffForANewerChange)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  ASSERT_EQ(server.Post("/api/set", Set(kSubdivisions, 8)).status, 200);
  const JsonReply dragged = server.Post("/api/set", Set(kStrength, 60, false));
  ASSERT_EQ(dragged.status, 200);
  const json quick = server.NewestBuild();
  EXPECT_EQ(quick["generation"], dragged.body["generation"]);
  EXPECT_EQ(quick["error"], "");
  EXPECT_EQ(quick["polygons"], 6 * 64); // the working level while dragging
  ASSERT_EQ(server.Post("/api/texture", {{"texture", true}}).status, 200);
  const json full = server.NewestBuild();
  EXPECT_EQ(full["error"], "");
  EXPECT_EQ(full["polygons"], 6 * 256 * 256);
  EXPECT_TRUE(full["closed"].get<bool>());
  EXPECT_TRUE(full["textured"].get<bool>());
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

// A refused change breaks a full build off too; that build is then made
// again and published, not lost.
TEST(ServeCli, AFullBuildBrokenOffForARefusedChangeIsMadeAgain)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  const JsonReply chosen = server.Post("/api/set", Set(kSubdivisions, 8));
  ASSERT_EQ(chosen.status, 200);
  EXPECT_EQ(server.Post("/api/set", Set(kFlatten, 150)).status, 400);
  const json built = server.BuildAfter(chosen.body["generation"].get<std::uint64_t>() - 1);
  EXPECT_EQ(built["generation"], chosen.body["generation"]);
  EXPECT_EQ(built["error"], "");
  EXPECT_EQ(built["polygons"], 6 * 256 * 256);
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

TEST(ServeCli, TheBakedTextureFollowsTheBuilds)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  EXPECT_FALSE(server.BuildAfter(0)["textured"].get<bool>());
  const std::string plain = server.Client().Get("/api/mesh.glb")->body;
  EXPECT_EQ(plain.find("image/png"), std::string::npos);
  ASSERT_EQ(server.Post("/api/texture", {{"texture", true}}).status, 200);
  EXPECT_TRUE(server.NewestBuild()["textured"].get<bool>());
  EXPECT_EQ(server.Get("/api/describe").body["texture"], true);
  const std::string textured = server.Client().Get("/api/mesh.glb")->body;
  EXPECT_NE(textured.find("image/png"), std::string::npos);
  // While dragging, the texture is baked smaller.
  ASSERT_EQ(server.Post("/api/set", Set(kStrength, 70, false)).status, 200);
  const json quick = server.NewestBuild();
  EXPECT_TRUE(quick["textured"].get<bool>());
  EXPECT_LT(server.Client().Get("/api/mesh.glb")->body.size(), textured.size());
  ASSERT_EQ(server.Post("/api/texture", {{"texture", false}}).status, 200);
  EXPECT_FALSE(server.NewestBuild()["textured"].get<bool>());
  EXPECT_EQ(server.Post("/api/texture", {{"texture", "yes"}}).status, 400);
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

// Two pages changing the scene at once, while builds run: every change
// lands whole, and the server stays sound (the TSan build checks the
// locking).
TEST(ServeCli, ConcurrentClientsShareOneScene)
{
  TestFolder folder;
  WorkbenchServer server({"--workdir", folder.Path("")});
  ASSERT_TRUE(server.Started());
  server.BuildAfter(0);
  std::vector<std::thread> clients;
  for (int c = 0; c < 4; ++c)
    clients.emplace_back([&server, c] {
      for (int i = 0; i < 15; ++i)
      {
        const int id = c % 2 == 0 ? kStrength : kFlatten;
        EXPECT_EQ(server.Post("/api/set", Set(id, 10 * c + i, i % 5 == 4)).status, 200);
        EXPECT_EQ(server.Get("/api/describe").status, 200);
        if (c == 3 && i == 7)
        {
          EXPECT_EQ(server.Post("/api/press", {{"node", "generator"}, {"id", 3002}}).status, 200);
        }
      }
    });
  for (std::thread& client : clients)
    client.join();
  const json end = server.NewestBuild();
  EXPECT_EQ(end["error"], "");
  EXPECT_EQ(ValueOf(server, "generator", 3000), 2); // one Add Layer press
  const double strength = ValueOf(server, "generator", kStrength).get<double>();
  const double flatten = ValueOf(server, "generator", kFlatten).get<double>();
  // The last value one of the two clients setting it sent (percent is kept
  // as a fraction, hence the tolerance).
  const auto either = [](double value, double a, double b) { return std::abs(value - a) < 1e-9 || std::abs(value - b) < 1e-9; };
  EXPECT_TRUE(either(strength, 14, 34)) << strength;
  EXPECT_TRUE(either(flatten, 24, 44)) << flatten;
  EXPECT_EQ(server.Stop(), 0) << server.Errors();
}

} // namespace
} // namespace qhost::testing
