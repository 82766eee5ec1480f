#include "host/bake/texture_bake.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace qhost {
namespace {

// Pairs the shader's InitRender with exactly one FreeRender on every path.
class RenderPreparation
{
public:
  explicit RenderPreparation(BaseShader& shader) : shader_(shader) {}
  RenderPreparation(const RenderPreparation&) = delete;
  RenderPreparation& operator=(const RenderPreparation&) = delete;
  ~RenderPreparation()
  {
    if (prepared_)
      shader_.FreeRender();
  }

  INITRENDERRESULT Prepare(const InitRenderStruct& irs)
  {
    const INITRENDERRESULT result = shader_.InitRender(irs);
    prepared_ = result == INITRENDERRESULT::OK;
    return result;
  }

private:
  BaseShader& shader_;
  bool prepared_ = false;
};

Int32 ResolveThreads(Int32 requested)
{
  if (requested > 0)
    return requested;
  return std::max<Int32>(1, static_cast<Int32>(std::thread::hardware_concurrency()));
}

void StorePixels(const std::vector<Vector>& pixels, TextureKind kind, Image& image)
{
  for (size_t i = 0; i < pixels.size(); ++i)
  {
    const Float rgb[3] = {pixels[i].x, pixels[i].y, pixels[i].z};
    for (size_t c = 0; c < 3; ++c)
      image.samples[i * 3 + c] = kind == TextureKind::Color ? LinearToSrgb8(rgb[c]) : LinearToUnorm16(rgb[c]);
  }
}

} // namespace

bool BakeShaderTexture(BaseShader& shader, BaseDocument* doc, const TextureBakeOptions& options, Image& image,
                       std::string& error)
{
  const Int32 depth = options.kind == TextureKind::Color ? 8 : 16;
  if (!MakeImage(options.width, options.height, 3, depth, image, error))
    return false;
  const size_t pixelCount = size_t(options.width) * size_t(options.height);
  const bool perPixel = !options.positions.empty();
  if (perPixel && (options.positions.size() != pixelCount || options.normals.size() != pixelCount))
  {
    error = "the texture positions do not match the image size";
    return false;
  }
  std::vector<Vector> pixels(pixelCount);

  const Int32 threads = ResolveThreads(options.threads);
  InitRenderStruct irs;
  irs.doc = doc;
  irs.threadCount = threads;
  RenderPreparation preparation(shader);
  if (const INITRENDERRESULT result = preparation.Prepare(irs); result != INITRENDERRESULT::OK)
  {
    error = "the shader could not be prepared for rendering (" + std::to_string(Int32(result)) + ")";
    return false;
  }

  const BaseShader* sampled = &shader;
  const Int32 width = options.width;
  const std::span<const Vector> positions = options.positions;
  const std::span<const Vector> normals = options.normals;
  const auto sample = [sampled, perPixel, width, positions, normals](Float u, Float v, Int32 x, Int32 y) {
    ChannelData cd;
    if (perPixel)
    {
      const size_t i = size_t(y) * size_t(width) + size_t(x);
      cd.p = positions[i];
      cd.n = normals[i];
    }
    else
    {
      cd.p = Vector(u, v, 0.0);
      cd.n = Vector(0.0, 0.0, 1.0);
    }
    return sampled->Sample(&cd);
  };
  const BakeOptions bake{options.width, options.height, threads};
  if (!BakeImage(bake, {}, sample, pixels, options.progress))
  {
    error = "the bake was cancelled";
    return false;
  }
  StorePixels(pixels, options.kind, image);
  return true;
}

bool BakeMaterialChannel(BaseMaterial& material, Int32 channel, const TextureBakeOptions& options, Image& image,
                         std::string& error)
{
  BaseChannel* ch = material.GetChannel(channel);
  if (!ch)
  {
    error = "the material has no channel " + std::to_string(channel);
    return false;
  }
  BaseShader* shader = ch->GetShader();
  if (!shader)
  {
    error = "channel " + std::to_string(channel) + " of the material holds no shader";
    return false;
  }
  return BakeShaderTexture(*shader, material.GetDocument(), options, image, error);
}

} // namespace qhost
