// The variants of a batch, worked out before any is made: for each, its
// index, seed, parameter values, file name and the planned part of its
// record, the same on every machine and in every shard.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/app/variant_sampling.h"

namespace qhost::app {

// One part of a split: "I/N" reads as index I - 1 of N parts.
struct Slice
{
  std::int64_t index = 0;
  std::int64_t count = 1;
  bool Holds(std::int64_t position) const { return position % count == index; }
};

// "I/N" with 1 <= I <= N <= kMaxVariants; throws UsageError naming option.
Slice ParseSlice(const std::string& option, const std::string& text);

struct BatchVariant
{
  std::int64_t index = 0; // 0-based position in the batch
  std::int64_t seed = 0;
  std::string file;       // in the output folder
  nlohmann::json planned; // the record's part known before the build
  // Name and value text pairs, applied with --set's rules in this order.
  std::vector<std::pair<std::string, std::string>> parameters;
};

// The file name pattern: {seed}, {index} (zero-padded to the width of the
// last index) and {name} are replaced; it must hold {seed} or {index}, no
// folder separator, and end in a mesh extension. Throws UsageError naming
// --name.
void CheckNamePattern(const std::string& pattern);
std::string ExpandNamePattern(const std::string& pattern, std::int64_t index, std::int64_t count, std::int64_t seed,
                              const std::string& name);

// Every variant of the batch. request is the part of every record that
// describes the rock options; the generator's seed parameter takes each
// variant's seed, then each range its sampled value.
std::vector<BatchVariant> PlanVariants(const SeedRange& seeds, const std::vector<ParameterRange>& ranges,
                                       const std::string& pattern, const std::string& name,
                                       const nlohmann::json& request);

} // namespace qhost::app
