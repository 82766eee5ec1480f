// The parameters of batch variants: a seed range and parameter ranges
// (`--vary layer1.Strength=60%..140%`), sampled so that the variant with a
// given seed gets the same values on every machine and in every run, however
// the batch is split up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qhost::app {

struct SeedRange
{
  std::int64_t first = 1;
  std::int64_t last = 8;
  std::int64_t Count() const { return last - first + 1; }
};

// "A..B" with 0 <= A <= B < 2^31 and at most kMaxVariants seeds, or one
// seed "A"; throws UsageError naming --seeds.
SeedRange ParseSeedRange(const std::string& text);

constexpr std::int64_t kMaxVariants = 100000;

// One --vary: a parameter and the values it may take.
struct ParameterRange
{
  enum class Kind
  {
    Whole,   // "3..5": whole numbers, both ends included
    Real,    // "60%..140%", "0.5..1.5", "10cm..20cm": any value in [low, high)
    OneOf,   // "Electric|fBm|Buya": one of the choices
  };
  std::string name;
  std::string text; // the whole --vary argument, for messages and the manifest
  Kind kind = Kind::Real;
  double low = 0.0, high = 0.0;
  std::string unit; // suffix both ends carry ("%", "m", "cm", "mm" or "")
  std::vector<std::string> choices;
};

// Parses NAME=LOW..HIGH or NAME=A|B|C; throws UsageError naming the argument.
ParameterRange ParseParameterRange(const std::string& text);

// The value text the variant with this seed takes for range, as --set reads
// it: a whole number, a real rounded to 4 decimals with the unit, or a choice.
std::string SampleValue(const ParameterRange& range, std::int64_t seed);

// The uniform number in [0, 1) behind SampleValue: a 64-bit FNV-1a hash of
// the parameter's name, mixed with the seed by the SplitMix64 finaliser, its
// top 53 bits scaled by 2^-53.
double UniformFor(const std::string& name, std::int64_t seed);

// 64-bit FNV-1a of bytes; also the batch's check of finished files.
std::uint64_t Fnv1a64(const void* data, std::size_t size, std::uint64_t hash = 0xcbf29ce484222325ull);

} // namespace qhost::app
