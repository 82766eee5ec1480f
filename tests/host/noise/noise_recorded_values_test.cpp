// Noise values must never change: stored scenes, baked textures and rocks
// built from a seed rely on every bit. Each case hashes the exact bit
// patterns of many samples and compares the digest with the one recorded
// when the kernels were last known good. A failure prints the new digest;
// replace a recorded one only for a deliberate change of a pattern.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/noise/noise_samples.h"

namespace qhost {
namespace {

using noise_test::Eval;
using noise_test::ExtremePoints;
using noise_test::NoiseArgs;
using noise_test::SamplePoints;

// FNV-1a over the bit patterns of the values, so a change in the last bit of
// one sample changes the digest.
class BitDigest
{
public:
  void Add(Float value)
  {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
    {
      hash_ ^= (bits >> shift) & 0xFFu;
      hash_ *= 0x100000001B3ull;
    }
  }
  std::uint64_t Value() const { return hash_; }

private:
  std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

const std::vector<Vector>& Points()
{
  static const std::vector<Vector> points = [] {
    std::vector<Vector> result = SamplePoints(64, 50.0, 7);
    for (const Vector& p : SamplePoints(32, 1.5, 8))
      result.push_back(p);
    for (const Vector& p : ExtremePoints())
      result.push_back(p);
    return result;
  }();
  return points;
}

// Argument sets that reach every branch of the octave loop: plain, folded,
// fractional with antialiasing and attenuation, animated and tiled in 2D,
// and the octave limit.
struct ArgumentSet
{
  const char* name;
  NoiseArgs args;
};

const ArgumentSet kArgumentSets[] = {
    {"plain", {false, 0.0, 4.0, false, 0.0, 0.0, 0}},
    {"absolute", {false, 0.0, 6.0, true, 0.0, 0.0, 0}},
    {"filtered", {false, 0.0, 7.3, false, 20.0, 0.4, 0}},
    {"animated tiled 2D", {true, 0.7, 5.0, false, 0.0, 0.0, 3}},
    {"animated 16", {false, 2.5, 16.0, true, 2.0, 0.0, 0}},
};
constexpr std::size_t kSetCount = std::size(kArgumentSets);

std::string Hex(std::uint64_t value)
{
  char text[32];
  std::snprintf(text, sizeof text, "0x%016llXull", static_cast<unsigned long long>(value));
  return text;
}

// Digests of types 1..33 for each argument set, in the order of kArgumentSets.
constexpr std::uint64_t kTypeDigests[33][kSetCount] = {
    {0x78654A6901E856A5ull, 0x7DF6DB635A8FDF13ull, 0x42C889105D17DD78ull, 0x4AE2B0270A619826ull, 0x79DEBD886F6A4A93ull},
    {0xBB9AE2F382142D91ull, 0x809EF01742A35992ull, 0x14C16838FC3BA82Dull, 0x1BAC314FDDFE34DDull, 0x4A6C58080270847Bull},
    {0xC8EA5C892FA2418Dull, 0x6B857B67025721F1ull, 0xC71BC825D927844Eull, 0xCE773B5686F18D6Full, 0x3221AF0320D20D71ull},
    {0x7D5571146023CEC7ull, 0x7D5571146023CEC7ull, 0x7D5571146023CEC7ull, 0xE6018F3092D76ACDull, 0xDA15A2652D027E5Full},
    {0x3E04EF628465C37Cull, 0xC4E2D0ED094C7459ull, 0xC7E18B024CF066F9ull, 0xE3AC16885BDB3C46ull, 0x39BBE8AA37CCAC28ull},
    {0x43A7CA720B56A4E1ull, 0xDACDA90E953FA4B5ull, 0xA8805FCA897C27BBull, 0x4830FC4FB81A2CADull, 0xD4C5674580E1E2DBull},
    {0xCD25E4479503E455ull, 0xEA10C332EBA97A99ull, 0xE9EFAF4D4EFCED0Dull, 0xA792A23A8D58B0AFull, 0xECDC068B326D28B5ull},
    {0xD57ED925CD227EC4ull, 0xCE3AF0B2A1D9C3AEull, 0xA43042DB598EF38Cull, 0x5BA36A507E1EB1E0ull, 0x8FB02F19D649F9A6ull},
    {0x23C901D720420720ull, 0x23C901D720420720ull, 0xFC80870246D527DDull, 0xC089B870DEE293DAull, 0xA9A4A649CA35D3C0ull},
    {0x3328141C9DB0BE29ull, 0xFD17F9EEEFD4C3B0ull, 0xBF86CC2F6BE10D05ull, 0x581A84DE3A6E8955ull, 0x0489706CA503BB68ull},
    {0x07D60B0E0469ACF0ull, 0x915CCDA46DDDCA46ull, 0xB87E8777032484B1ull, 0x702FB3A2B3C2F3FBull, 0xB585F176AEDB8872ull},
    {0xB66A2CAA49D74FF8ull, 0x484055287B77B9E6ull, 0xC49E3D214D01DA1Bull, 0xED049750F81F8152ull, 0x397B73FC415BF350ull},
    {0xFEB5B75818E3FD7Cull, 0x9FE560DCDFCAF6C6ull, 0xFEB5B75818E3FD7Cull, 0x487EA4D55A47FEABull, 0x370516B9AD2236F9ull},
    {0x87E6334C582359D2ull, 0x21E28C27B4A00589ull, 0xFDBF4A38DDDADB02ull, 0x73F93A2E750849BBull, 0xF7324587A74CBFBDull},
    {0x5A7FB76B979E9D7Eull, 0xCD8924DF35669668ull, 0x4316E4E20F74E197ull, 0x0A2A66EC893B86DBull, 0x94D98B80E7E99E94ull},
    {0x4E0BB2C41DB40504ull, 0xE1DB2A697FEC5A50ull, 0x3FB964373983C0DAull, 0x897816B5E97C553Eull, 0x5B124B2DE662A5B3ull},
    {0x2CC23C14CF9302FCull, 0xB3DDA3B71D4B3036ull, 0xBE1B759BDDD14474ull, 0xA0A19B36C2574E1Bull, 0xDC62FBCB4C8E4FCCull},
    {0xAF615FECFCC291E1ull, 0xAF615FECFCC291E1ull, 0x12EA79195475A1A5ull, 0xFD108742FFFCF46Bull, 0xDAD6604543EEAC9Bull},
    {0xA8879996E8C5F676ull, 0xA8879996E8C5F676ull, 0xA8879996E8C5F676ull, 0x7E04C1498F88E3FAull, 0xC4ACD48256FE8E3Cull},
    {0xE3B42C9E3CD4A638ull, 0xB891247B0EA677BDull, 0xF6E87B553C8CB331ull, 0xAC84CFC22A75940Aull, 0x8756F9CBAEED4B07ull},
    {0x8EDADAB708337A0Eull, 0xCE3AF0B2A1D9C3AEull, 0xF1073B5DE2764B9Eull, 0xDA5B2D58825C1246ull, 0x8FB02F19D649F9A6ull},
    {0xACCC1A1EE94E1427ull, 0xBD5517425C518E97ull, 0x6833DCD9EBF81CFAull, 0x6321140C01A4A1D3ull, 0xB2F1C5EF0BF98BD2ull},
    {0x8160D9540538A7A7ull, 0x165016BA862E3DB7ull, 0xCCAA917E914687CFull, 0xF96907C0B8BCD18Bull, 0x586D1B8B8D419BD7ull},
    {0xE84CB44EF6588679ull, 0xE84CB44EF6588679ull, 0xE84CB44EF6588679ull, 0x959333EA6A6D1578ull, 0x1FA52C73CC0E3701ull},
    {0xF3BEEB94ED9DAD02ull, 0xF3BEEB94ED9DAD02ull, 0x8A62A6C6293554F5ull, 0xFC961470658F79A3ull, 0xCEB9C0A55900F082ull},
    {0x23F1190091EDCB7Aull, 0x23F1190091EDCB7Aull, 0xEF001D08DB270893ull, 0x9A1A46B15332BFFAull, 0x95089F5F859A78B6ull},
    {0x326D537E0A109AF4ull, 0x326D537E0A109AF4ull, 0x326D537E0A109AF4ull, 0x610FA37175CBB058ull, 0xDC4A3A586AAB0F99ull},
    {0xE380591CB46AACBDull, 0xE380591CB46AACBDull, 0xE380591CB46AACBDull, 0xE39DAE3D7268F94Cull, 0xFCA685EA3B772056ull},
    {0xFD1D48F6D477EB39ull, 0xFD1D48F6D477EB39ull, 0xFD1D48F6D477EB39ull, 0xBAACAB8ACE542F5Dull, 0x1E2517CE1D6F71A7ull},
    {0x18BC6082521BF410ull, 0x4343DC50A8E0500Full, 0x444ABE3522CFE30Eull, 0x063EEA702BD98747ull, 0x0A343496C111B092ull},
    {0x351590D1085283B0ull, 0x45A6CA258A350AC2ull, 0x8963A7C0B81493DFull, 0xB298ED504F1B6833ull, 0x9D98002D46030A6Bull},
    {0xFE77F25F3C562234ull, 0xFE77F25F3C562234ull, 0x463F2A2E8D2B4188ull, 0x51A062B2A87BC681ull, 0x6A0A53A0715285ADull},
    {0x8493667F124B2F6Cull, 0x8509AB67BBFE6A04ull, 0x39DD1E4C0098CDBEull, 0x41A9F057597D9818ull, 0x2804CB0BCAF2C465ull},
};

TEST(NoiseRecordedValues, EveryTypeAndArgumentSetKeepsItsValuesBitForBit)
{
  const NoiseGenerator generator(1);
  for (Int32 type = kFirstNoiseType; type <= kLastNoiseType; ++type)
    for (std::size_t set = 0; set < kSetCount; ++set)
    {
      BitDigest digest;
      for (const Vector& p : Points())
        digest.Add(Eval(generator, type, p, kArgumentSets[set].args));
      EXPECT_EQ(Hex(digest.Value()), Hex(kTypeDigests[type - 1][set]))
          << FindNoiseType(type)->label << ", " << kArgumentSets[set].name;
    }
}

TEST(NoiseRecordedValues, OtherSeedsKeepTheirValues)
{
  constexpr Int32 kSeeds[] = {0, -7, 123456};
  constexpr std::uint64_t kDigests[] = {0xF69D5E1D6E4494C7ull, 0xCDD3F06C4B38949Full, 0x52738305B3748FD6ull};
  for (std::size_t i = 0; i < std::size(kSeeds); ++i)
  {
    const NoiseGenerator generator(kSeeds[i]);
    BitDigest digest;
    for (Int32 type = kFirstNoiseType; type <= kLastNoiseType; ++type)
      for (const Vector& p : Points())
        digest.Add(Eval(generator, type, p));
    EXPECT_EQ(Hex(digest.Value()), Hex(kDigests[i])) << "seed " << kSeeds[i];
  }
}

TEST(NoiseRecordedValues, FractalFunctionsKeepTheirValues)
{
  Float table[kFbmTableSize];
  InitFbm(table, 9, 2.3, 0.8);
  NoiseGenerator generator(5);
  generator.InitFbm(7, 1.9, 1.2);
  BitDigest ridged, ridgedSoft, turbulence, softTurbulence, simple, generatorRidged;
  for (const Vector& p : Points())
  {
    ridged.Add(RidgedMultifractal(table, p, 6.0, 1.0, 2.0));
    ridgedSoft.Add(RidgedMultifractal(table, p, 3.5, 0.8, 1.5));
    turbulence.Add(Turbulence(p, 5.0, true));
    softTurbulence.Add(Turbulence(p, 2.25, false));
    simple.Add(generator.SimpleNoise(p));
    generatorRidged.Add(generator.RidgedMultifractal(generator.FbmTable(), p, 8.0, 1.1, 2.0));
  }
  EXPECT_EQ(Hex(ridged.Value()), Hex(0x5FE81717AB4106D8ull)) << "ridged multifractal";
  EXPECT_EQ(Hex(ridgedSoft.Value()), Hex(0x8675E78912C1BBAEull)) << "ridged multifractal, fractional octaves";
  EXPECT_EQ(Hex(turbulence.Value()), Hex(0x1531DE2588BBB2CDull)) << "turbulence, absolute";
  EXPECT_EQ(Hex(softTurbulence.Value()), Hex(0x7DB095EE2E5F8BF6ull)) << "turbulence, rounded folds";
  EXPECT_EQ(Hex(simple.Value()), Hex(0x8B9309B8575A6400ull)) << "simple noise";
  EXPECT_EQ(Hex(generatorRidged.Value()), Hex(0x0B1D50416B50244Cull)) << "ridged multifractal of a seeded generator";
}

}  // namespace
}  // namespace qhost
