// Shaders, materials, gradients and colour conversions.
#pragma once

#include "hostapi/document.h"
#include "hostapi/result.h"

// What a render hands every shader once before sampling.
struct InitRenderStruct
{
  BaseDocument* doc = nullptr;
  Float time = 0.0;
  Int32 threadCount = 1;
};

// One shading sample.
struct ChannelData
{
  Vector p;          // texture position in UVW space
  Vector n;          // surface normal
  Vector d;          // footprint of the sample in UVW space
  Float t = 0.0;     // time in seconds
  Int32 texflag = 0;
  void* vd = nullptr; // the renderer's volume data, null when baking
  Float off = 0.0;
  Float scale = 0.0;
};

class BaseShader : public BaseList2D
{
public:
  static BaseShader* Alloc(Int32 type);
  static void Free(BaseShader*& shader);

  BaseShader* GetNext() const { return static_cast<BaseShader*>(GetNextNode()); }
  // Prepares the shader (and the shaders it owns) for sampling; counted, so
  // every InitRender needs one FreeRender.
  virtual INITRENDERRESULT InitRender(const InitRenderStruct& irs) = 0;
  virtual void FreeRender() = 0;
  // Safe from many threads at once between InitRender and FreeRender.
  virtual Vector Sample(ChannelData* cd) const = 0;
  virtual Int32 GetRenderInitCount() const = 0;
};

// A channel of a standard material (colour, bump, displacement, ...).
class BaseChannel
{
public:
  virtual BaseShader* GetShader() const = 0;

protected:
  virtual ~BaseChannel() = default;
};

class BaseMaterial : public BaseList2D
{
public:
  static BaseMaterial* Alloc(Int32 type);
  static void Free(BaseMaterial*& mat);

  BaseMaterial* GetNext() const { return static_cast<BaseMaterial*>(GetNextNode()); }
  // Null for a channel the material does not have.
  virtual BaseChannel* GetChannel(Int32 channel) = 0;
  // Recomputes previews and render data after the material changed.
  virtual void Update(Bool preview, Bool rttm) = 0;
};

class LayerShaderLayer
{
public:
  virtual LayerShaderLayer* GetNext() const = 0;
  // TypeFolder, TypeShader or TypeEffect.
  virtual Int32 GetType() const = 0;
  // For a shader layer, LAYER_S_PARAM_SHADER_LINK holds a pointer (DA_VOID) to
  // the BaseLink of the layer's shader.
  virtual Bool GetParameter(Int32 id, GeData& value) const = 0;
  // The layers inside a folder, null for other layers.
  virtual LayerShaderLayer* GetFirstChild() const = 0;

protected:
  virtual ~LayerShaderLayer() = default;
};

class LayerShader : public BaseShader
{
public:
  virtual LayerShaderLayer* GetFirstLayer() const = 0;
  virtual LayerShaderLayer* AddLayer(Int32 layerType, LayerShaderLayer* parentFolder = nullptr) = 0;
  // Makes a shader layer show shader (which must be owned by this layer shader).
  virtual Bool SetLayerShader(LayerShaderLayer* layer, BaseShader* shader) = 0;
};

struct GradientKnot
{
  Vector col;
  Float brightness = 1.0;
  Float pos = 0.0;
  Float bias = 0.5;
  Int32 index = 0;
  GRADIENT_INTERPOLATION_TYPE interpolation = GRADIENT_INTERPOLATION_TYPE::SMOOTHKNOT;
};

// Prepared gradient lookup, reference-counted by the host.
class GradientRenderData
{
public:
  virtual Vector CalcGradientPixel(Float pos) const = 0;
  virtual void AddReference() const = 0;
  virtual void RemoveReference() const = 0;

protected:
  virtual ~GradientRenderData() = default;
};

// A counted reference to prepared gradient data; empty when nothing was prepared.
class GradientRenderDataRef
{
public:
  GradientRenderDataRef() = default;
  // Adopts one reference that the host already counted.
  explicit GradientRenderDataRef(const GradientRenderData* data) : data_(data) {}
  GradientRenderDataRef(const GradientRenderDataRef& o) : data_(o.data_)
  {
    if (data_)
      data_->AddReference();
  }
  GradientRenderDataRef(GradientRenderDataRef&& o) noexcept : data_(std::exchange(o.data_, nullptr)) {}
  GradientRenderDataRef& operator=(GradientRenderDataRef o) noexcept
  {
    std::swap(data_, o.data_);
    return *this;
  }
  ~GradientRenderDataRef() { Reset(); }

  void Reset()
  {
    if (data_)
      std::exchange(data_, nullptr)->RemoveReference();
  }
  const GradientRenderData* Get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

private:
  const GradientRenderData* data_ = nullptr;
};

class Gradient : public CustomDataType
{
public:
  static Gradient* Alloc();
  static void Free(Gradient*& gradient);

  virtual Int32 InsertKnot(const GradientKnot& knot) = 0;
  virtual Int32 GetKnotCount() const = 0;
  virtual GradientKnot GetKnot(Int32 index) const = 0;
  virtual void SetKnot(Int32 index, const GradientKnot& knot) = 0;
  virtual Bool RemoveKnot(Int32 index) = 0;
  // Gradient settings such as GRADIENT_MODE.
  virtual Bool SetData(Int32 id, const GeData& value) = 0;
  virtual GeData GetData(Int32 id) const = 0;

  // Prepares a lookup. Does not change the gradient; safe from many threads.
  virtual Result<GradientRenderDataRef> PrepareRenderData(const InitRenderStruct& irs) const = 0;
};

// The lookup used when a gradient hands back an empty reference, or null.
const GradientRenderData* GetDefaultGradientRenderData();

// The host's global turbulence noise, in [0, 1].
Float Turbulence(const Vector& p, Float octaves, Bool absolute);
Vector RGBToHSV(const Vector& rgb);
Vector HSVToRGB(const Vector& hsv);
