#include "host/app/rock_texture.h"

#include <filesystem>

#include "host/app/app_context.h"
#include "host/geometry/surface_texels.h"
#include "host/shading/texture_tag.h"

namespace qhost::app {
namespace {

// The generator's texture tag, made when it has none.
BaseTag& TextureTagOf(BaseObject& generator)
{
  if (BaseTag* tag = FindTextureTag(generator))
    return *tag;
  if (BaseTag* tag = generator.MakeTag(kTextureTag))
    return *tag;
  throw std::runtime_error("the host could not create a texture tag");
}

QuorvaneMaterial MaterialFor(BaseDocument& doc, const BaseTag& tag)
{
  if (BaseMaterial* shown = TextureTagMaterial(tag, &doc))
    if (const QuorvaneMaterial found = FindQuorvaneShader(*shown); found.shader)
      return found;
  if (const QuorvaneMaterial found = FindQuorvaneMaterial(doc); found.shader)
    return found;
  return AddQuorvaneMaterial(doc);
}

} // namespace

std::optional<TextureProjection> ParseProjection(const std::string& text)
{
  if (text.empty())
    return std::nullopt;
  if (const std::optional<TextureProjection> projection = ParseTextureProjection(text))
    return projection;
  throw UsageError("--projection " + text + ": expected uv or solid");
}

Image BakeRockTexture(BaseDocument& doc, BaseObject& generator, const MeshData& mesh,
                      std::optional<TextureProjection> projection, const ShaderBakeSettings& settings)
{
  if (!mesh.HasUVs())
    throw UsageError("--texture: the rock has no UVs to lay a texture out on");
  const bool tagged = FindTextureTag(generator) != nullptr;
  BaseTag& tag = TextureTagOf(generator);
  const QuorvaneMaterial target = MaterialFor(doc, tag);
  const TextureProjection used = projection ? *projection : tagged ? TextureTagProjection(tag) : TextureProjection::Solid;
  BaseContainer& settingsOfTag = *tag.GetDataInstance();
  settingsOfTag.SetLink(kTextureTagMaterial, target.material);
  settingsOfTag.SetInt32(kTextureTagProjection, Int32(used));

  if (used == TextureProjection::Uv)
    return BakeQuorvaneMaterial(target, settings);
  SurfaceTexels texels = MapSurfaceTexels(mesh, settings.size, settings.size);
  if (texels.coveredCount == 0)
    throw std::runtime_error("the rock's UV layout covers no texel of the texture");
  const SolidFrame frame = SolidFrame::Fit(mesh.points);
  for (Vector& point : texels.points)
    point = frame.ToTexture(point);
  return BakeQuorvaneMaterial(target, settings, texels.points, texels.normals);
}

std::string HeightMapPathBeside(const std::string& meshPath)
{
  std::filesystem::path path(meshPath);
  path.replace_filename(path.stem().string() + "_height.png");
  return path.string();
}

} // namespace qhost::app
