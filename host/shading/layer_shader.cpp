#include "host/shading/layer_shader.h"


#include "host/shading/shader_links.h"

namespace qhost {
namespace {

bool KnownLayerType(Int32 type) { return type == TypeFolder || type == TypeShader || type == TypeEffect; }

// Visits the layers depth first until visit returns true.
template <typename Visit>
bool AnyLayer(LayerShaderLayer* first, const Visit& visit)
{
  for (LayerShaderLayer* l = first; l; l = l->GetNext())
    if (visit(static_cast<ShaderStackLayer*>(l)) || AnyLayer(l->GetFirstChild(), visit))
      return true;
  return false;
}

Vector ApplyEffect(Int32 effect, Float brightness, Float contrast, const Vector& c)
{
  if (effect == kLayerEffectBrightnessContrast)
  {
    const auto adjust = [&](Float x) { return (x - 0.5) * (1.0 + contrast) + 0.5 + brightness; };
    return Vector(adjust(c.x), adjust(c.y), adjust(c.z));
  }
  return Vector(1.0) - c;
}

} // namespace

// ---- ShaderStackLayer -----------------------------------------------------------

Bool ShaderStackLayer::GetParameter(Int32 id, GeData& value) const
{
  switch (id)
  {
    case kLayerOpacity: value = GeData(opacity_); return true;
    case LAYER_S_PARAM_SHADER_LINK:
      if (type_ != TypeShader)
        return false;
      value = GeData(static_cast<void*>(const_cast<BaseLink*>(&link_)));
      return true;
    case kLayerEffect:
    case kLayerBrightness:
    case kLayerContrast:
      if (type_ != TypeEffect)
        return false;
      value = id == kLayerEffect ? GeData(effect_) : GeData(id == kLayerBrightness ? brightness_ : contrast_);
      return true;
    default: return false;
  }
}

Bool ShaderStackLayer::SetParameter(Int32 id, const GeData& value)
{
  if (id == kLayerOpacity)
    opacity_ = value.GetFloat();
  else if (type_ == TypeEffect && id == kLayerEffect)
    effect_ = value.GetInt32();
  else if (type_ == TypeEffect && id == kLayerBrightness)
    brightness_ = value.GetFloat();
  else if (type_ == TypeEffect && id == kLayerContrast)
    contrast_ = value.GetFloat();
  else
    return false;
  return true;
}

std::unique_ptr<ShaderStackLayer> ShaderStackLayer::Copy(bool withSiblings) const
{
  auto copy = std::make_unique<ShaderStackLayer>(type_);
  copy->opacity_ = opacity_;
  copy->link_ = link_;
  copy->effect_ = effect_;
  copy->brightness_ = brightness_;
  copy->contrast_ = contrast_;
  if (firstChild_)
    copy->firstChild_ = firstChild_->Copy(true);
  if (withSiblings && next_)
    copy->next_ = next_->Copy(true);
  return copy;
}

// ---- LayerShaderNode -------------------------------------------------------------

bool LayerShaderNode::Owns(const LayerShaderLayer* layer) const
{
  return layer && AnyLayer(root_.get(), [layer](const ShaderStackLayer* l) { return l == layer; });
}

LayerShaderLayer* LayerShaderNode::AddLayer(Int32 layerType, LayerShaderLayer* parentFolder)
{
  if (!KnownLayerType(layerType))
    return nullptr;
  std::unique_ptr<ShaderStackLayer>* slot = &root_;
  if (parentFolder)
  {
    if (!Owns(parentFolder) || parentFolder->GetType() != TypeFolder)
      return nullptr;
    slot = &static_cast<ShaderStackLayer*>(parentFolder)->firstChild_;
  }
  while (*slot)
    slot = &(*slot)->next_;
  *slot = std::make_unique<ShaderStackLayer>(layerType);
  SetDirty(DIRTYFLAGS_DATA);
  return slot->get();
}

Bool LayerShaderNode::SetLayerShader(LayerShaderLayer* layer, BaseShader* shader)
{
  NodeCore* node = Core(shader);
  if (!Owns(layer) || layer->GetType() != TypeShader || !node || node->Owner() != this)
    return false;
  static_cast<ShaderStackLayer*>(layer)->link_ = BaseLink{node->Uid()};
  SetDirty(DIRTYFLAGS_DATA);
  return true;
}

Bool LayerShaderNode::SetLayerParameter(LayerShaderLayer* layer, Int32 id, const GeData& value)
{
  if (!Owns(layer) || !static_cast<ShaderStackLayer*>(layer)->SetParameter(id, value))
    return false;
  SetDirty(DIRTYFLAGS_DATA);
  return true;
}

void LayerShaderNode::Flatten(const ShaderStackLayer* first)
{
  for (const ShaderStackLayer* l = first; l; l = l->next_.get())
  {
    Step step;
    step.type = l->type_;
    step.opacity = l->opacity_;
    step.effect = l->effect_;
    step.brightness = l->brightness_;
    step.contrast = l->contrast_;
    if (l->type_ == TypeShader)
      step.shader = ResolveShaderLink(*this, l->link_);
    const size_t at = steps_.size();
    steps_.push_back(step);
    if (l->type_ == TypeFolder)
    {
      Flatten(l->firstChild_.get());
      steps_[at].span = Int32(steps_.size() - at - 1);
    }
  }
}

void LayerShaderNode::ReleaseShaders(size_t preparedSteps)
{
  for (size_t i = 0; i < preparedSteps; ++i)
    if (steps_[i].shader)
      steps_[i].shader->FreeRender();
}

INITRENDERRESULT LayerShaderNode::InitRender(const InitRenderStruct& irs)
{
  if (renderInitCount_ == 0)
  {
    steps_.clear();
    Flatten(root_.get());
  }
  for (size_t i = 0; i < steps_.size(); ++i)
  {
    if (!steps_[i].shader)
      continue;
    const INITRENDERRESULT result = steps_[i].shader->InitRender(irs);
    if (result != INITRENDERRESULT::OK)
    {
      ReleaseShaders(i);
      if (renderInitCount_ == 0)
        steps_.clear();
      return result;
    }
  }
  ++renderInitCount_;
  return INITRENDERRESULT::OK;
}

void LayerShaderNode::FreeRender()
{
  if (renderInitCount_ == 0)
    return;
  ReleaseShaders(steps_.size());
  if (--renderInitCount_ == 0)
    steps_.clear();
}

Vector LayerShaderNode::Composite(const Step* begin, const Step* end, Vector below, ChannelData* cd) const
{
  Vector c = below;
  for (const Step* s = begin; s < end; s += 1 + s->span)
  {
    Vector layer;
    switch (s->type)
    {
      case TypeShader:
        if (!s->shader)
          continue;
        layer = s->shader->Sample(cd);
        break;
      case TypeEffect: layer = ApplyEffect(s->effect, s->brightness, s->contrast, c); break;
      default: layer = Composite(s + 1, s + 1 + s->span, c, cd); break;
    }
    c += (layer - c) * s->opacity;
  }
  return c;
}

Vector LayerShaderNode::Sample(ChannelData* cd) const
{
  if (!cd || steps_.empty())
    return Vector();
  return Composite(steps_.data(), steps_.data() + steps_.size(), Vector(), cd);
}

void LayerShaderNode::CopyStateTo(NodeCore& dest) const
{
  auto& copy = static_cast<LayerShaderNode&>(dest);
  copy.root_ = root_ ? root_->Copy(true) : nullptr;
}

void LayerShaderNode::RelinkClonedBranches(const NodeCore& source)
{
  AnyLayer(root_.get(), [&](ShaderStackLayer* layer) {
    if (layer->type_ == TypeShader)
      layer->link_.uid = CopiedShaderUid(source, *this, layer->link_.uid);
    return false;
  });
}

void RegisterLayerShaderType(NodeFactory& factory)
{
  factory.RegisterType(NodeClass::Shader, Xlayer, "Layer", 0, [] { return new LayerShaderNode(); });
}

} // namespace qhost
