#include "host/shading/noise_shader.h"

#include <algorithm>
#include <new>

namespace qhost {

NoiseShader::NoiseShader() : Node(NodeClass::Shader, Xnoise)
{
  data.SetInt32(SLA_NOISE_NOISE, kNoiseShaderDefaultType);
  data.SetFloat(SLA_NOISE_GLOBAL_SCALE, 1.0);
  data.SetFloat(SLA_NOISE_OCTAVES, 5.0);
  data.SetVector(SLA_NOISE_COLOR1, Vector(0.0));
  data.SetVector(SLA_NOISE_COLOR2, Vector(1.0));
  data.SetFloat(SLA_NOISE_LOW_CLIP, 0.0);
  data.SetFloat(SLA_NOISE_HIGH_CLIP, 1.0);
  data.SetInt32(SLA_NOISE_SPACE, SLA_NOISE_SPACE_UV);
  data.SetInt32(SLA_NOISE_SEED, 0);
}

INITRENDERRESULT NoiseShader::InitRender(const InitRenderStruct&)
{
  if (renderInitCount_ == 0)
  {
    settings_.noiseType = data.GetInt32(SLA_NOISE_NOISE, kNoiseShaderDefaultType) - SLA_NOISE_TYPE_BASE;
    settings_.scale = data.GetFloat(SLA_NOISE_GLOBAL_SCALE, 1.0);
    settings_.octaves = data.GetFloat(SLA_NOISE_OCTAVES, 5.0);
    settings_.color1 = data.GetVector(SLA_NOISE_COLOR1, Vector(0.0));
    settings_.color2 = data.GetVector(SLA_NOISE_COLOR2, Vector(1.0));
    settings_.lowClip = data.GetFloat(SLA_NOISE_LOW_CLIP, 0.0);
    settings_.highClip = data.GetFloat(SLA_NOISE_HIGH_CLIP, 1.0);
    generator_.reset(new (std::nothrow) NoiseGenerator(data.GetInt32(SLA_NOISE_SEED)));
    if (!generator_)
      return INITRENDERRESULT::OUTOFMEMORY;
  }
  ++renderInitCount_;
  return INITRENDERRESULT::OK;
}

void NoiseShader::FreeRender()
{
  if (renderInitCount_ == 0)
    return;
  if (--renderInitCount_ == 0)
    generator_.reset();
}

Vector NoiseShader::Sample(ChannelData* cd) const
{
  if (!generator_ || !cd)
    return Vector();
  const Snapshot& s = settings_;
  const Float raw = generator_->Noise(s.noiseType, false, cd->p * s.scale, 0.0, s.octaves, false, 0.0, 0.0, 0);
  const Float v = ClipNoiseValue(raw, s.lowClip, s.highClip);
  return s.color1 + (s.color2 - s.color1) * v;
}

Float ClipNoiseValue(Float value, Float lowClip, Float highClip)
{
  if (highClip <= lowClip)
    return value > lowClip ? 1.0 : 0.0;
  return std::clamp((value - lowClip) / (highClip - lowClip), 0.0, 1.0);
}

void RegisterNoiseShaderType(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Shader, Xnoise, "Noise", 0, [] { return new NoiseShader(); });
}

} // namespace qhost
