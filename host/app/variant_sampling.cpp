#include "host/app/variant_sampling.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/app/app_context.h"

namespace qhost::app {
namespace {

constexpr std::int64_t kMaxSeed = 2147483647;
constexpr std::uint64_t kGoldenGamma = 0x9e3779b97f4a7c15ull;

std::uint64_t SplitMix64(std::uint64_t z)
{
  z += kGoldenGamma;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

bool ParseWhole(const std::string& text, std::int64_t& value)
{
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && at == end;
}

// "140%" → 140 and "%"; "0.5" → 0.5 and "". The number must be finite.
bool ParseNumberWithUnit(const std::string& text, double& value, std::string& unit, bool& whole)
{
  std::size_t split = text.size();
  for (const char* suffix : {"%", "mm", "cm", "m"})
  {
    const std::string s(suffix);
    if (text.size() > s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0)
    {
      split = text.size() - s.size();
      unit = s;
      break;
    }
  }
  const std::string number = text.substr(0, split);
  const char* end = number.data() + number.size();
  const auto [at, error] = std::from_chars(number.data(), end, value);
  whole = number.find_first_of(".eE") == std::string::npos;
  return !number.empty() && error == std::errc() && at == end && std::isfinite(value);
}

} // namespace

std::uint64_t Fnv1a64(const void* data, std::size_t size, std::uint64_t hash)
{
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i)
    hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

SeedRange ParseSeedRange(const std::string& text)
{
  const std::string expected = "--seeds " + text + ": expected FIRST..LAST (whole numbers from 0 to " +
                               std::to_string(kMaxSeed) + ", FIRST <= LAST) or one seed";
  SeedRange range;
  const std::size_t dots = text.find("..");
  const bool parsed = dots == std::string::npos
                          ? ParseWhole(text, range.first) && ParseWhole(text, range.last)
                          : ParseWhole(text.substr(0, dots), range.first) && ParseWhole(text.substr(dots + 2), range.last);
  if (!parsed || range.first < 0 || range.last > kMaxSeed || range.first > range.last)
    throw UsageError(expected);
  if (range.Count() > kMaxVariants)
    throw UsageError("--seeds " + text + ": " + std::to_string(range.Count()) + " variants; at most " +
                     std::to_string(kMaxVariants) + " in one batch");
  return range;
}

ParameterRange ParseParameterRange(const std::string& text)
{
  ParameterRange range;
  range.text = text;
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0)
    throw UsageError("--vary " + text + ": expected NAME=LOW..HIGH (layer1.Strength=60%..140%) or NAME=A|B|C");
  range.name = text.substr(0, equals);
  const std::string values = text.substr(equals + 1);
  const std::size_t dots = values.find("..");
  if (dots == std::string::npos)
  {
    if (values.find('|') == std::string::npos)
      throw UsageError("--vary " + text + ": expected a range LOW..HIGH or choices A|B|C");
    range.kind = ParameterRange::Kind::OneOf;
    for (std::size_t start = 0;;)
    {
      const std::size_t bar = values.find('|', start);
      range.choices.push_back(values.substr(start, bar - start));
      if (range.choices.back().empty())
        throw UsageError("--vary " + text + ": an empty choice");
      if (bar == std::string::npos)
        break;
      start = bar + 1;
    }
    return range;
  }
  std::string lowUnit, highUnit;
  bool lowWhole = false, highWhole = false;
  if (!ParseNumberWithUnit(values.substr(0, dots), range.low, lowUnit, lowWhole) ||
      !ParseNumberWithUnit(values.substr(dots + 2), range.high, highUnit, highWhole))
    throw UsageError("--vary " + text + ": LOW and HIGH must be finite numbers, each with the same unit (%, m, cm, "
                     "mm) or none");
  if (lowUnit != highUnit)
    throw UsageError("--vary " + text + ": LOW and HIGH carry different units (" +
                     (lowUnit.empty() ? "none" : lowUnit) + " and " + (highUnit.empty() ? "none" : highUnit) + ")");
  if (range.low > range.high)
    throw UsageError("--vary " + text + ": LOW is above HIGH");
  range.unit = lowUnit;
  range.kind = lowWhole && highWhole && range.unit.empty() ? ParameterRange::Kind::Whole : ParameterRange::Kind::Real;
  if (range.kind == ParameterRange::Kind::Whole && (std::fabs(range.low) > 1e15 || std::fabs(range.high) > 1e15))
    throw UsageError("--vary " + text + ": whole numbers beyond 10^15");
  return range;
}

double UniformFor(const std::string& name, std::int64_t seed)
{
  const std::uint64_t mixed = SplitMix64(Fnv1a64(name.data(), name.size()) ^ (std::uint64_t(seed) * kGoldenGamma));
  return double(mixed >> 11) * 0x1.0p-53;
}

std::string SampleValue(const ParameterRange& range, std::int64_t seed)
{
  const double u = UniformFor(range.name, seed);
  switch (range.kind)
  {
  case ParameterRange::Kind::OneOf:
    return range.choices[std::size_t(u * double(range.choices.size()))];
  case ParameterRange::Kind::Whole:
    return std::to_string(std::int64_t(range.low) + std::int64_t(std::floor(u * (range.high - range.low + 1.0))));
  case ParameterRange::Kind::Real:
    break;
  }
  char text[64];
  std::snprintf(text, sizeof(text), "%.4f%s", range.low + u * (range.high - range.low), range.unit.c_str());
  return text;
}

} // namespace qhost::app
