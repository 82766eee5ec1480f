#include "host/bake/texture_bake.h"

#include <algorithm>
#include <stdexcept>
#include <string>
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

Image BakeShaderTexture(BaseShader& shader, BaseDocument* doc, const TextureBakeOptions& options)
{
  Image image = MakeImage(options.width, options.height, 3, options.kind == TextureKind::Color ? 8 : 16);
  const size_t pixelCount = size_t(options.width) * size_t(options.height);
  const bool perPixel = !options.positions.empty();
  if (perPixel && (options.positions.size() != pixelCount || options.normals.size() != pixelCount))
    throw std::invalid_argument("the texture positions do not match the image size");
  std::vector<Vector> pixels(pixelCount);

  const Int32 threads = ResolveThreads(options.threads);
  InitRenderStruct irs;
  irs.doc = doc;
  irs.threadCount = threads;
  RenderPreparation preparation(shader);
  if (const INITRENDERRESULT result = preparation.Prepare(irs); result != INITRENDERRESULT::OK)
    throw std::runtime_error("the shader could not be prepared for rendering (" + std::to_string(Int32(result)) + ")");

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
    throw std::runtime_error("the bake was cancelled");
  StorePixels(pixels, options.kind, image);
  return image;
}

Image BakeMaterialChannel(BaseMaterial& material, Int32 channel, const TextureBakeOptions& options)
{
  BaseChannel* ch = material.GetChannel(channel);
  if (!ch)
    throw std::invalid_argument("the material has no channel " + std::to_string(channel));
  BaseShader* shader = ch->GetShader();
  if (!shader)
    throw std::invalid_argument("channel " + std::to_string(channel) + " of the material holds no shader");
  return BakeShaderTexture(*shader, material.GetDocument(), options);
}

} // namespace qhost
