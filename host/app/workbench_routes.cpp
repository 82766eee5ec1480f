#include "host/app/workbench_routes.h"

#include <charconv>

#include "host/serve/json_route.h"
#include "quorvane_version.h"

namespace qhost::app {
namespace {

using nlohmann::json;

// Requests are a few hundred bytes; scene files travel by name, never in a body.
constexpr std::size_t kMaxBodyBytes = 64 * 1024;
// A waiting page asks again after this long.
constexpr int kBuildWaitMs = 15000;

std::uint64_t GenerationParameter(const httplib::Request& request)
{
  const std::string text = request.has_param("after") ? request.get_param_value("after") : "0";
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    throw RequestError("\"after\" must be a whole number");
  return value;
}

std::shared_ptr<const BuildOutcome> RequireBuilt(WorkbenchSession& session)
{
  std::shared_ptr<const BuildOutcome> outcome = session.Latest();
  if (!outcome || !outcome->error.empty())
    throw RequestError("there is no built rock yet");
  return outcome;
}

void SendBytes(httplib::Response& response, const std::vector<std::uint8_t>& bytes, const char* type)
{
  response.set_header("Cache-Control", "no-store");
  response.set_content(reinterpret_cast<const char*>(bytes.data()), bytes.size(), type);
}

bool HostAllowed(const std::string& header, const std::string& host, int port)
{
  std::string suffix = ":";
  suffix += std::to_string(port);
  if (host != "127.0.0.1" && host != "localhost")
    return true; // served to the network on purpose: any name may lead here
  return header == "127.0.0.1" + suffix || header == "localhost" + suffix;
}

void AddFileRoutes(httplib::Server& server, WorkbenchSession& session)
{
  server.Get("/api/mesh.glb", [&session](const httplib::Request&, httplib::Response& response) {
    ReplyGuarded(response, [&] { SendBytes(response, RequireBuilt(session)->glb, "model/gltf-binary"); });
  });
  server.Get("/api/preview.png", [&session](const httplib::Request&, httplib::Response& response) {
    ReplyGuarded(response, [&] { SendBytes(response, RequireBuilt(session)->preview, "image/png"); });
  });
  server.Get("/api/download", [&session](const httplib::Request& request, httplib::Response& response) {
    ReplyGuarded(response, [&] {
      const std::string format = request.get_param_value("format");
      if (format != "glb" && format != "obj" && format != "ply")
        throw RequestError("\"format\" must be glb, obj or ply");
      const std::shared_ptr<const BuildOutcome> outcome = RequireBuilt(session);
      SendBytes(response, session.MeshFile(*outcome, "." + format), "application/octet-stream");
      response.set_header("Content-Disposition", "attachment; filename=\"rock." + format + "\"");
    });
  });
  // A POST with a JSON body: the asset takes seconds of baking, which a page
  // of another origin must not be able to start.
  server.Post("/api/asset", [&session](const httplib::Request& request, httplib::Response& response) {
    if (!AcceptJsonBody(request, response))
      return;
    ReplyGuarded(response, [&] {
      JsonRequest(request.body, {});
      SendBytes(response, session.AssetFile(), "model/gltf-binary");
      response.set_header("Content-Disposition", "attachment; filename=\"rock_asset.glb\"");
    });
  });
}

} // namespace

bool HasThreeJs(const std::filesystem::path& pageFolder)
{
  std::error_code ignored;
  return std::filesystem::is_regular_file(pageFolder / "three" / "build" / "three.module.js", ignored);
}

void AddWorkbenchRoutes(httplib::Server& server, WorkbenchSession& session, const std::filesystem::path& pageFolder,
                        const std::string& host, int port)
{
  server.set_payload_max_length(kMaxBodyBytes);
  for (const auto& [extension, type] : {std::pair{"html", "text/html"}, {"js", "text/javascript"},
                                        {"css", "text/css"}, {"png", "image/png"}, {"json", "application/json"}})
    server.set_file_extension_and_mimetype_mapping(extension, type);
  server.set_pre_routing_handler([host, port](const httplib::Request& request, httplib::Response& response) {
    if (HostAllowed(request.get_header_value("Host"), host, port))
      return httplib::Server::HandlerResponse::Unhandled;
    ReplyError(response, 403, "this server answers only to its own address");
    return httplib::Server::HandlerResponse::Handled;
  });
  if (!server.set_mount_point("/", pageFolder.string()))
  {
    std::string message = "the workbench page is missing: ";
    message += pageFolder.string();
    message += " is no folder";
    throw std::runtime_error(message);
  }

  const bool three = HasThreeJs(pageFolder);
  server.Get("/api/info", JsonGet([three](const httplib::Request&) {
    return json{{"version", QUORVANE_VERSION_STRING}, {"three", three}};
  }));
  server.Get("/api/describe", JsonGet([&session](const httplib::Request&) { return session.Describe(); }));
  server.Get("/api/files", JsonGet([&session](const httplib::Request&) { return session.SceneFiles(); }));
  server.Get("/api/build", JsonGet([&session](const httplib::Request& request) {
    const std::shared_ptr<const BuildOutcome> outcome =
        session.WaitForBuild(GenerationParameter(request), kBuildWaitMs);
    return outcome ? WorkbenchSession::Summary(*outcome) : json{{"generation", 0}};
  }));
  server.Post("/api/set", JsonPost([&session](const httplib::Request& request) {
    return session.Set(JsonRequest(request.body, {"node", "id", "value", "final"}));
  }));
  server.Post("/api/press", JsonPost([&session](const httplib::Request& request) {
    return session.Press(JsonRequest(request.body, {"node", "id"}));
  }));
  server.Post("/api/texture", JsonPost([&session](const httplib::Request& request) {
    return session.SetTexture(JsonRequest(request.body, {"texture"}));
  }));
  server.Post("/api/save", JsonPost([&session](const httplib::Request& request) {
    return session.Save(JsonRequest(request.body, {"path"}));
  }));
  server.Post("/api/load", JsonPost([&session](const httplib::Request& request) {
    return session.Load(JsonRequest(request.body, {"path"}));
  }));
  AddFileRoutes(server, session);
}

} // namespace qhost::app
