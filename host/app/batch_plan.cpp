#include "host/app/batch_plan.h"

#include <charconv>

#include "host/app/app_context.h"
#include "host/io/mesh_file.h"

namespace qhost::app {
namespace {

constexpr const char* kSeedParameter = "OXROCK_SEED";

bool ParseCount(const std::string& text, std::int64_t& value)
{
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && at == end;
}

std::string ReplaceAll(std::string text, const std::string& token, const std::string& value)
{
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
    text.replace(at, token.size(), value);
  return text;
}

} // namespace

Slice ParseSlice(const std::string& option, const std::string& text)
{
  const std::size_t slash = text.find('/');
  Slice slice;
  std::int64_t part = 0;
  if (slash == std::string::npos || !ParseCount(text.substr(0, slash), part) ||
      !ParseCount(text.substr(slash + 1), slice.count) || part < 1 || slice.count < 1 || part > slice.count ||
      slice.count > kMaxVariants)
    throw UsageError(option + " " + text + ": expected I/N with 1 <= I <= N <= " + std::to_string(kMaxVariants) +
                     " (2/3 is the second of three parts)");
  slice.index = part - 1;
  return slice;
}

void CheckNamePattern(const std::string& pattern)
{
  if (pattern.find("{seed}") == std::string::npos && pattern.find("{index}") == std::string::npos)
    throw UsageError("--name " + pattern + ": holds neither {seed} nor {index}, so every variant would get one name");
  if (pattern.find('/') != std::string::npos || pattern.find('\0') != std::string::npos)
    throw UsageError("--name " + pattern + ": a file name in the output folder, without '/'");
  const std::string rest = ReplaceAll(ReplaceAll(ReplaceAll(pattern, "{seed}", ""), "{index}", ""), "{name}", "");
  if (rest.find_first_of("{}") != std::string::npos)
    throw UsageError("--name " + pattern + ": unknown {...} field (known: {seed}, {index}, {name})");
  const std::string extension = LowerCaseExtension(pattern);
  if (extension != ".obj" && extension != ".ply" && !IsGltfPath(pattern))
    throw UsageError("--name " + pattern + ": unknown mesh file extension (use .obj, .ply, .glb or .gltf)");
}

std::string ExpandNamePattern(const std::string& pattern, std::int64_t index, std::int64_t count, std::int64_t seed,
                              const std::string& name)
{
  std::string padded = std::to_string(index);
  const std::size_t width = std::to_string(count - 1).size();
  if (padded.size() < width)
    padded.insert(0, width - padded.size(), '0');
  return ReplaceAll(ReplaceAll(ReplaceAll(pattern, "{seed}", std::to_string(seed)), "{index}", padded), "{name}",
                    name);
}

std::vector<BatchVariant> PlanVariants(const SeedRange& seeds, const std::vector<ParameterRange>& ranges,
                                       const std::string& pattern, const std::string& name,
                                       const nlohmann::json& request)
{
  std::vector<BatchVariant> variants;
  variants.reserve(std::size_t(seeds.Count()));
  for (std::int64_t index = 0; index < seeds.Count(); ++index)
  {
    BatchVariant variant;
    variant.index = index;
    variant.seed = seeds.first + index;
    variant.file = ExpandNamePattern(pattern, index, seeds.Count(), variant.seed, name);
    variant.parameters.emplace_back(kSeedParameter, std::to_string(variant.seed));
    for (const ParameterRange& range : ranges)
      variant.parameters.emplace_back(range.name, SampleValue(range, variant.seed));
    nlohmann::json parameters = nlohmann::json::array();
    for (const auto& [parameter, value] : variant.parameters)
      parameters.push_back({{"name", parameter}, {"value", value}});
    variant.planned = {{"index", index},
                       {"seed", variant.seed},
                       {"file", variant.file},
                       {"parameters", parameters},
                       {"request", request}};
    variants.push_back(std::move(variant));
  }
  return variants;
}

} // namespace qhost::app
