#include "host/serve/json_route.h"

#include "host/core/input_error.h"
#include "host/serve/json_request.h"

namespace qhost {

void ReplyError(httplib::Response& response, int status, const std::string& message)
{
  response.status = status;
  response.set_content(nlohmann::json{{"error", message}}.dump(), "application/json");
}

void ReplyGuarded(httplib::Response& response, const std::function<void()>& handler)
{
  try
  {
    handler();
  }
  catch (const RequestError& e)
  {
    ReplyError(response, 400, e.what());
  }
  catch (const InputError& e)
  {
    ReplyError(response, 400, e.what());
  }
  catch (const std::exception& e)
  {
    ReplyError(response, 500, e.what());
  }
}

bool AcceptJsonBody(const httplib::Request& request, httplib::Response& response)
{
  if (request.get_header_value("Content-Type").rfind("application/json", 0) == 0)
    return true;
  ReplyError(response, 415, "requests are sent as application/json");
  return false;
}

httplib::Server::Handler JsonGet(JsonHandler handler)
{
  return [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
    ReplyGuarded(response, [&] { response.set_content(handler(request).dump(), "application/json"); });
  };
}

httplib::Server::Handler JsonPost(JsonHandler handler)
{
  return [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
    if (AcceptJsonBody(request, response))
      ReplyGuarded(response, [&] { response.set_content(handler(request).dump(), "application/json"); });
  };
}

} // namespace qhost
