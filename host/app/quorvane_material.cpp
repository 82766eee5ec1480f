#include "host/app/quorvane_material.h"

#include "host/app/app_context.h"
#include "host/app/parameter_assignment.h"
#include "host/app/progress.h"
#include "host/core/build_break.h"

namespace qhost::app {
namespace {

constexpr const char* kQuorvaneDescription = "XQuorvane";
constexpr const char* kModeParameter = "XQUORVANE_MODE";

// The first shader of the type among shader and the shaders after it, depth first.
BaseShader* FindShaderOfType(BaseShader* shader, Int32 type)
{
  for (; shader; shader = shader->GetNext())
  {
    if (shader->GetType() == type)
      return shader;
    if (BaseShader* found = FindShaderOfType(shader->GetFirstShader(), type))
      return found;
  }
  return nullptr;
}

} // namespace

const PluginInfo& QuorvaneShaderPlugin()
{
  for (const PluginInfo* plugin : NodeFactory::Instance().Plugins())
    if (plugin->registration.pluginType == PLUGINTYPE_SHADER && plugin->description.name == kQuorvaneDescription)
      return *plugin;
  throw std::runtime_error(std::string("no loaded module registers the Quorvane shader (description ") +
                           kQuorvaneDescription + ")");
}

QuorvaneMaterial FindQuorvaneShader(BaseMaterial& material)
{
  return {&material, FindShaderOfType(material.GetFirstShader(), QuorvaneShaderPlugin().registration.id)};
}

QuorvaneMaterial FindQuorvaneMaterial(BaseDocument& doc)
{
  for (BaseMaterial* material = doc.GetFirstMaterial(); material; material = material->GetNext())
    if (const QuorvaneMaterial found = FindQuorvaneShader(*material); found.shader)
      return found;
  return {};
}

QuorvaneMaterial AddQuorvaneMaterial(BaseDocument& doc)
{
  const Int32 type = QuorvaneShaderPlugin().registration.id;
  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  if (!material)
    throw std::runtime_error("the host could not create a material");
  doc.InsertMaterial(material, nullptr);
  BaseShader* shader = BaseShader::Alloc(type);
  if (!shader)
    throw std::runtime_error("the host could not create the Quorvane shader");
  material->InsertShader(shader, nullptr);
  BaseContainer& bc = *material->GetDataInstance();
  bc.SetLink(MATERIAL_COLOR_SHADER, shader);
  bc.SetInt32(MATERIAL_USE_COLOR, 1);
  return {material, shader};
}

void CheckShaderSettings(const std::vector<std::string>& sets)
{
  const std::vector<DescElement>& elements = QuorvaneShaderPlugin().description.elements;
  for (const std::string& set : sets)
  {
    const Assignment assignment = ParseAssignment(set);
    ParseValue(RequireElement(elements, assignment), assignment, {});
  }
}

Image BakeQuorvaneMaterial(const QuorvaneMaterial& target, const ShaderBakeSettings& settings,
                           std::span<const Vector> positions, std::span<const Vector> normals)
{
  const std::vector<DescElement>& elements = QuorvaneShaderPlugin().description.elements;
  // The mode is set by its choice label, so no value of the shader's is copied here.
  ApplyAssignment(target.shader, elements,
                  ParseAssignment(std::string(kModeParameter) + "=" +
                                  (settings.kind == TextureKind::Color ? "Color" : "Height")));
  for (const std::string& set : settings.sets)
    ApplyAssignment(target.shader, elements, ParseAssignment(set));

  TextureBakeOptions bake;
  bake.width = bake.height = settings.size;
  bake.threads = settings.threads;
  bake.kind = settings.kind;
  bake.positions = positions;
  bake.normals = normals;
  FractionProgress progress(settings.kind == TextureKind::Height ? "Baking height map" : "Baking texture");
  // The bake stops when the build it belongs to is broken off.
  bake.progress = [&progress, check = CurrentBreakCheck()](Float fraction) {
    progress.Update(fraction);
    return !BreakRequested(check);
  };
  return BakeMaterialChannel(*target.material, CHANNEL_COLOR, bake);
}

} // namespace qhost::app
