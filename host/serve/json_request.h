// The body of a request as the server accepts it: one JSON object with only
// the members the route documents, each of the documented type. Anything
// else is refused with a message naming the member, before the request
// changes anything.
#pragma once

#include <nlohmann/json.hpp>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qhost {

// A refused request; the server answers 400 with the message.
struct RequestError : std::runtime_error
{
  using std::runtime_error::runtime_error;
};

class JsonRequest
{
public:
  // Parses body; throws RequestError when it is not a JSON object or has a
  // member outside allowed.
  JsonRequest(std::string_view body, std::initializer_list<std::string_view> allowed);

  bool Has(std::string_view name) const { return body_.contains(name); }
  // A member of the given type; throws RequestError when it is missing or of
  // another type. The optional forms give fallback for a missing member.
  std::string String(std::string_view name) const;
  bool Bool(std::string_view name, bool fallback) const;
  long long Integer(std::string_view name) const;
  // Any JSON value (the type is checked by whoever reads it).
  const nlohmann::json& Value(std::string_view name) const;

private:
  const nlohmann::json& Member(std::string_view name, nlohmann::json::value_t type, const char* what) const;
  nlohmann::json body_;
};

} // namespace qhost
