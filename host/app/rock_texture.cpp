#include "host/app/rock_texture.h"

#include <filesystem>

#include "host/app/app_context.h"
#include "host/geometry/surface_texels.h"

namespace qhost::app {

TextureProjection ParseProjection(const std::string& text)
{
  if (const std::optional<TextureProjection> projection = ParseTextureProjection(text))
    return *projection;
  throw UsageError("--projection " + text + ": expected uv or solid");
}

Image BakeRockTexture(BaseDocument& doc, const MeshData& mesh, TextureProjection projection,
                      const ShaderBakeSettings& settings)
{
  if (!mesh.HasUVs())
    throw UsageError("--texture: the rock has no UVs to lay a texture out on");
  QuorvaneMaterial target = FindQuorvaneMaterial(doc);
  if (!target.shader)
    target = AddQuorvaneMaterial(doc);
  if (projection == TextureProjection::Uv)
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
