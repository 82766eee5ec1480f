// The host's layer shader (Xlayer): a stack of layers composited bottom to top.
//
// The first layer of a list is the bottom one. Each layer is blended over the
// colour built so far (black under the first layer) with the normal blend at
// its opacity: result = below + (layer - below) * opacity.
//   TypeShader  shows a shader owned by the layer shader (in its shaders
//               branch); a layer whose shader is unset or gone adds nothing.
//   TypeEffect  transforms the colour below it (invert, or brightness and
//               contrast about 0.5).
//   TypeFolder  composites its own layers starting from the colour below the
//               folder, so effects inside a folder also see the layers under
//               it; the folder's result is then blended at its opacity.
//
// Layer parameters (LayerShaderLayer::GetParameter, SetLayerParameter):
//   kLayerOpacity (2000)             Float, default 1
//   LAYER_S_PARAM_SHADER_LINK (2002) shader layers: a void* to the layer's BaseLink
//   kLayerEffect (2003)              effect layers: kLayerEffectInvert (default)
//                                    or kLayerEffectBrightnessContrast
//   kLayerBrightness (2004)          Float added after contrast, default 0
//   kLayerContrast (2005)            Float, components scale by 1 + contrast, default 0
#pragma once

#include <memory>
#include <vector>

#include "host/core/node_factory.h"

namespace qhost {

constexpr Int32 kLayerOpacity = 2000;
constexpr Int32 kLayerEffect = 2003;
constexpr Int32 kLayerBrightness = 2004;
constexpr Int32 kLayerContrast = 2005;
constexpr Int32 kLayerEffectInvert = 0;
constexpr Int32 kLayerEffectBrightnessContrast = 1;

class ShaderStackLayer final : public LayerShaderLayer
{
public:
  explicit ShaderStackLayer(Int32 type) : type_(type) {}
  ~ShaderStackLayer() override = default;

  LayerShaderLayer* GetNext() const override { return next_.get(); }
  Int32 GetType() const override { return type_; }
  Bool GetParameter(Int32 id, GeData& value) const override;
  LayerShaderLayer* GetFirstChild() const override { return firstChild_.get(); }

  // Opacity and the effect settings; false for an ID the layer does not have.
  Bool SetParameter(Int32 id, const GeData& value);

private:
  friend class LayerShaderNode;

  // A deep copy of this layer and, with siblings, of the layers after it.
  std::unique_ptr<ShaderStackLayer> Copy(bool withSiblings) const;

  Int32 type_;
  Float opacity_ = 1.0;
  BaseLink link_;
  Int32 effect_ = kLayerEffectInvert;
  Float brightness_ = 0.0;
  Float contrast_ = 0.0;
  std::unique_ptr<ShaderStackLayer> next_;
  std::unique_ptr<ShaderStackLayer> firstChild_;
};

class LayerShaderNode final : public Node<LayerShader>
{
public:
  LayerShaderNode() : Node(NodeClass::Shader, Xlayer) {}

  LayerShaderLayer* GetFirstLayer() const override { return root_.get(); }
  // Appends a layer on top of parentFolder's layers (the top-level stack when
  // null); null when parentFolder is no folder of this shader or the type is unknown.
  LayerShaderLayer* AddLayer(Int32 layerType, LayerShaderLayer* parentFolder) override;
  Bool SetLayerShader(LayerShaderLayer* layer, BaseShader* shader) override;
  Bool SetLayerParameter(LayerShaderLayer* layer, Int32 id, const GeData& value);

  // The first preparation resolves every shader layer and flattens the tree;
  // every preparation prepares each shown shader once.
  INITRENDERRESULT InitRender(const InitRenderStruct& irs) override;
  void FreeRender() override;
  Vector Sample(ChannelData* cd) const override;
  Int32 GetRenderInitCount() const override { return renderInitCount_; }

protected:
  void CopyStateTo(NodeCore& dest) const override;
  void RelinkClonedBranches(const NodeCore& source) override;

private:
  // One layer of the flattened stack; a folder is followed by its span of steps.
  struct Step
  {
    Int32 type = TypeShader;
    Float opacity = 1.0;
    BaseShader* shader = nullptr;
    Int32 effect = kLayerEffectInvert;
    Float brightness = 0.0;
    Float contrast = 0.0;
    Int32 span = 0;
  };

  bool Owns(const LayerShaderLayer* layer) const;
  void Flatten(const ShaderStackLayer* first);
  Vector Composite(const Step* begin, const Step* end, Vector below, ChannelData* cd) const;
  void ReleaseShaders(size_t preparedSteps);

  std::unique_ptr<ShaderStackLayer> root_;
  std::vector<Step> steps_;
  Int32 renderInitCount_ = 0;
};

void RegisterLayerShaderType(NodeFactory& factory);

} // namespace qhost
