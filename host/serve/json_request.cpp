#include "host/serve/json_request.h"

#include <algorithm>

namespace qhost {

JsonRequest::JsonRequest(std::string_view body, std::initializer_list<std::string_view> allowed)
{
  body_ = nlohmann::json::parse(body, nullptr, false);
  if (body_.is_discarded())
    throw RequestError("the request body is not JSON");
  if (!body_.is_object())
    throw RequestError("the request body must be a JSON object");
  for (const auto& member : body_.items())
    if (std::find(allowed.begin(), allowed.end(), member.key()) == allowed.end())
      throw RequestError("unknown member \"" + member.key() + "\" in the request");
}

const nlohmann::json& JsonRequest::Value(std::string_view name) const
{
  const auto it = body_.find(name);
  if (it == body_.end())
    throw RequestError("the request lacks \"" + std::string(name) + "\"");
  return *it;
}

const nlohmann::json& JsonRequest::Member(std::string_view name, nlohmann::json::value_t type, const char* what) const
{
  const nlohmann::json& value = Value(name);
  // Whole numbers arrive as unsigned or signed integers alike.
  const bool integer = type == nlohmann::json::value_t::number_integer && value.is_number_integer();
  if (value.type() != type && !integer)
    throw RequestError("\"" + std::string(name) + "\" must be " + what);
  return value;
}

std::string JsonRequest::String(std::string_view name) const
{
  return Member(name, nlohmann::json::value_t::string, "a string").get<std::string>();
}

bool JsonRequest::Bool(std::string_view name, bool fallback) const
{
  return Has(name) ? Member(name, nlohmann::json::value_t::boolean, "true or false").get<bool>() : fallback;
}

long long JsonRequest::Integer(std::string_view name) const
{
  const nlohmann::json& value = Member(name, nlohmann::json::value_t::number_integer, "a whole number");
  if (value.is_number_unsigned() && value.get<unsigned long long>() > 0x7fffffffffffffffULL)
    throw RequestError("\"" + std::string(name) + "\" is out of range");
  return value.get<long long>();
}

} // namespace qhost
