// Routes of the workbench server that speak JSON: a handler returns the
// reply's JSON; refused requests (RequestError, InputError) become a 400
// reply with the message, other failures a 500 reply, and nothing escapes
// into the HTTP library.
#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <functional>

namespace qhost {

using JsonHandler = std::function<nlohmann::json(const httplib::Request&)>;

// A GET route's handler.
httplib::Server::Handler JsonGet(JsonHandler handler);
// A POST route's handler; the body must be sent as application/json, which a
// page of another origin cannot do without the server's consent.
httplib::Server::Handler JsonPost(JsonHandler handler);

// Whether request's body is sent as application/json; if not, response is
// the refusal.
bool AcceptJsonBody(const httplib::Request& request, httplib::Response& response);

// Sends {"error": message} with status.
void ReplyError(httplib::Response& response, int status, const std::string& message);

// Runs handler, turning what it throws into an error reply; for routes that
// answer with something else than JSON (pictures, mesh files).
void ReplyGuarded(httplib::Response& response, const std::function<void()>& handler);

} // namespace qhost
