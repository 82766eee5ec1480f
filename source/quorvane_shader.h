// The Quorvane shader: a cell noise times a detail noise, mapped through a
// colour or height gradient and colour-corrected.
#pragma once

#include "hostapi/api.h"

class QuorvaneShader : public ShaderData
{
public:
  static NodeData* Alloc();

  Bool Init(GeListNode* node, Bool isCloneInit) override;
  void Free(GeListNode* node) override;
  Bool Message(GeListNode* node, Int32 type, void* data) override;
  Bool GetDDescription(const GeListNode* node, Description* description, DESCFLAGS_DESC& flags) const override;
  Bool GetDEnabling(const GeListNode* node, const DescID& id, const GeData& tData, DESCFLAGS_ENABLE flags,
                    const BaseContainer* itemdesc) const override;
  INITRENDERRESULT InitRender(BaseShader* sh, const InitRenderStruct& irs) override;
  void FreeRender(BaseShader* sh) override;
  Vector Output(const BaseShader* sh, ChannelData* cd) const override;
  SHADERINFO GetRenderInfo(BaseShader* sh) override;

private:
  void ReadParameters(const BaseContainer& bc);
  void CreateNoiseShaders();

  // Per-render state, written by InitRender and read by Output.
  BaseShader* cellNoise = nullptr;
  BaseShader* detailNoise = nullptr;
  Int32 mode = 0;
  Int32 cellDisplaced = 0;
  Int32 cellSeed = 0;
  Float cellScale = 0.0;
  Float cellHighClip = 0.0;
  Float cellThreshold = 0.0;
  const Gradient* heightGradient = nullptr;
  Int32 detailSeed = 0;
  Float noiseScale = 0.0;
  const Gradient* colorGradient = nullptr;
  Float turbulenceMix = 0.0;
  Int32 detailNoiseType = 0;
  Float clip = 0.0;
  Float brightness = 0.0;
  Float saturation = 0.0;
  Float contrast = 0.0;
  Float gamma = 0.0;
  Bool noiseShadersReady = false;
  Int32 cellInitCount = 0;
  Int32 detailInitCount = 0;
};
