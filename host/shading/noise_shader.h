// The host's noise shader (Xnoise): one pattern of the noise library, scaled,
// clipped and mapped between two colours.
//
// Settings (parameter IDs from hostapi/ids.h), read once per render:
//   SLA_NOISE_NOISE (1001)        Int32, 2000 + noise type 1..33 (docs/noise.md);
//                                 default 2013 "Noise". Other types evaluate "Noise".
//   SLA_NOISE_GLOBAL_SCALE (1002) Float, default 1. The sample position is
//                                 multiplied by it: larger scale, finer pattern.
//   SLA_NOISE_OCTAVES (1007)      Float, default 5; fractional counts fade in.
//   SLA_NOISE_COLOR1 (1009)       Vector, default black: the colour at value 0.
//   SLA_NOISE_COLOR2 (1010)       Vector, default white: the colour at value 1.
//   SLA_NOISE_LOW_CLIP (1013)     Float, default 0.
//   SLA_NOISE_HIGH_CLIP (1014)    Float, default 1. The noise value v becomes
//                                 clamp((v - low) / (high - low), 0, 1); with
//                                 high <= low it is a step: 1 above low, else 0.
//   SLA_NOISE_SPACE (1022)        Int32, default SLA_NOISE_SPACE_UV (2101).
//                                 Every space samples the sample's p, the
//                                 texture position the host hands over, as a
//                                 3D point: the material's projection decides
//                                 what that position is (a UV projection gives
//                                 (u, v, 0), so the pattern is the z = 0 slice;
//                                 a solid projection gives the surface point).
//   SLA_NOISE_SEED (1024)         Int32, default 0: the generator's seed.
// The pattern does not animate (the sample's time is not used) and is not
// filtered by the sample's footprint, so a bake gives the same bytes whatever
// the thread count.
#pragma once

#include <memory>

#include "host/core/node_factory.h"
#include "host/noise/noise.h"

namespace qhost {

constexpr Int32 kNoiseShaderDefaultType = SLA_NOISE_TYPE_BASE + 13;

class NoiseShader final : public Node<BaseShader>
{
public:
  NoiseShader();

  // The first preparation snapshots the settings and builds the generator;
  // later ones only count, so a render sees one consistent set of settings.
  INITRENDERRESULT InitRender(const InitRenderStruct& irs) override;
  // The last release drops the generator.
  void FreeRender() override;
  // Reads only the snapshot; black while unprepared.
  Vector Sample(ChannelData* cd) const override;
  Int32 GetRenderInitCount() const override { return renderInitCount_; }

private:
  struct Snapshot
  {
    Int32 noiseType = 0;
    Float scale = 1.0;
    Float octaves = 5.0;
    Vector color1;
    Vector color2;
    Float lowClip = 0.0;
    Float highClip = 1.0;
  };

  Snapshot settings_;
  std::unique_ptr<const NoiseGenerator> generator_;
  Int32 renderInitCount_ = 0;
};

// Maps a raw noise value through the clip range to [0, 1].
Float ClipNoiseValue(Float value, Float lowClip, Float highClip);

void RegisterNoiseShaderType(NodeFactory& factory);

} // namespace qhost
