#include "host/app/describe_command.h"

#include <iostream>
#include <limits>
#include <memory>
#include <optional>

#include "host/app/app_context.h"
#include "host/app/file_units.h"
#include "host/app/generator_layers.h"
#include "host/app/output_check.h"
#include "host/app/layer_limits.h"
#include "host/core/document_node.h"
#include "host/core/node_factory.h"
#include "host/description/attribute_view.h"
#include "host/description/description_impl.h"
#include "host/io/scene_file.h"

namespace qhost::app {
namespace {

struct DescribeOptions
{
  std::string name;
  int layers = -1; // -1: leave the layer count as created
  std::vector<int> presses;
  std::string scene; // describe the first node of the plug-in in this scene file
  std::string save;  // write the document here afterwards
  FileUnitOptions units;
  bool choices = false;
};

// A new node of the plug-in as the menu makes it: an object goes into a new
// document and is told it was created from the menu; a shader stands alone.
class MenuNode
{
public:
  explicit MenuNode(const PluginInfo& plugin)
  {
    const Int32 id = plugin.registration.id;
    if (plugin.registration.pluginType == PLUGINTYPE_OBJECT)
    {
      document_ = BaseDocument::Alloc();
      BaseObject* op = document_ ? BaseObject::Alloc(id) : nullptr;
      if (op)
      {
        document_->InsertObject(op, nullptr, nullptr);
        op->Message(MSG_MENUPREPARE);
      }
      node_ = Core(op);
    }
    else if (plugin.registration.pluginType == PLUGINTYPE_SHADER)
    {
      shader_ = BaseShader::Alloc(id);
      node_ = Core(shader_);
    }
    if (!node_)
      throw std::runtime_error("this host cannot create a " + plugin.registration.description + " node yet");
  }
  ~MenuNode()
  {
    if (shader_)
      BaseShader::Free(shader_);
    if (document_)
      BaseDocument::Free(document_);
  }
  MenuNode(const MenuNode&) = delete;
  MenuNode& operator=(const MenuNode&) = delete;

  NodeCore& Node() const { return *node_; }
  // Null for a shader, which stands alone.
  const BaseDocument* Document() const { return document_; }

private:
  BaseDocument* document_ = nullptr;
  BaseShader* shader_ = nullptr;
  NodeCore* node_ = nullptr;
};

// The document of a scene file and its first node of the plug-in, depth first.
class SceneNode
{
public:
  SceneNode(const std::string& path, const PluginInfo& plugin)
  {
    document_ = LoadSceneFile(path);
    ForEachNode(*As<DocumentNode>(document_.get()), [&](NodeCore& n) {
      if (!node_ && n.Type() == plugin.registration.id)
        node_ = &n;
    });
    if (!node_)
      throw UsageError(path + ": the scene holds no " + plugin.registration.description + " node");
  }

  NodeCore& Node() const { return *node_; }
  const BaseDocument* Document() const { return document_.get(); }

private:
  DocumentPtr document_;
  NodeCore* node_ = nullptr;
};

// Presses button id when the view shows it enabled; the description is then
// rebuilt, as the attribute manager does after every command.
AttributeView Press(NodeCore& node, const AttributeView& view, int id)
{
  const AttributeElement* button = view.FindElement(DescID(id));
  if (!button || button->dtype != DTYPE_BUTTON)
    throw UsageError("there is no button " + std::to_string(id));
  if (!button->enabled)
    throw UsageError("button " + std::to_string(id) + " (" + button->label + ") is disabled");
  PressButton(node, id);
  return DescribeNode(node);
}

AttributeView SetLayerCount(NodeCore& node, const GeneratorControls& controls, AttributeView view, int target)
{
  for (;;)
  {
    const Int32 count = node.data.GetInt32(controls.layerCount);
    if (count == target)
      return view;
    view = Press(node, view, count < target ? controls.addLayer : controls.removeLayer);
    if (node.data.GetInt32(controls.layerCount) == count)
      throw UsageError("the layer count stays at " + std::to_string(count));
  }
}

int RunDescribe(const std::string& folder, const DescribeOptions& options)
{
  const MeshFileFrame frame = ResolveFileFrame(options.units);
  if (!options.save.empty())
    CheckOutputPath(options.save, "--save");
  for (const ModuleStatus& status : LoadModules(folder))
    if (!status.error.empty())
      std::cerr << "quorvane: " << status.error << "\n";
  const PluginInfo& plugin = FindPlugin(options.name);
  const bool generator = plugin.registration.description == kGeneratorDescription;
  if (options.layers >= 0 && !generator)
    throw UsageError("--layers: " + plugin.registration.description + " has no noise layers");
  GeneratorControls controls;
  if (generator)
    controls = FindGeneratorControls(plugin.description.elements);
  if (options.layers >= 0)
  {
    const LayerCountRange range = LayerCountLimits(plugin, "OXROCK_LAYER_COUNT");
    if (options.layers < range.min || options.layers > range.max)
      throw UsageError("--layers " + std::to_string(options.layers) + ": allowed " + std::to_string(range.min) +
                       " to " + std::to_string(range.max));
  }
  {
    std::optional<MenuNode> created;
    std::optional<SceneNode> loaded;
    NodeCore& node = options.scene.empty() ? created.emplace(plugin).Node() : loaded.emplace(options.scene, plugin).Node();
    const BaseDocument* document = created ? created->Document() : loaded->Document();
    if (!options.save.empty() && !document)
      throw UsageError("--save: a new " + plugin.registration.description + " stands in no document; use --scene");
    // The first build gives the initial layer its values.
    AttributeView view = DescribeNode(node);
    if (options.layers >= 0)
      view = SetLayerCount(node, controls, std::move(view), options.layers);
    for (const int id : options.presses)
      view = Press(node, view, id);
    if (generator)
      NameLayerParameters(node, view);
    std::cout << FormatAttributeView(view, {frame.unit, options.choices});
    FlushConsole();
    if (!options.save.empty())
      SaveSceneFile(options.save, *document);
  }
  Host::Instance().EndModules();
  return 0;
}

} // namespace

void AddDescribeCommand(CLI::App& app, const char* argv0, std::string& pluginsOption)
{
  auto options = std::make_shared<DescribeOptions>();
  CLI::App* cmd = app.add_subcommand("describe", "Show a plug-in node's parameters as the attribute manager does");
  cmd->add_option("name", options->name, "Description name of the plug-in (oxrock, XQuorvane)")->required();
  cmd->add_option("--layers", options->layers, "Add or remove noise layers until there are N")
      ->check(CLI::Range(1, std::numeric_limits<int>::max()));
  cmd->add_option("--scene", options->scene, "Describe the plug-in's first node in this scene file (JSON)");
  cmd->add_option("--save", options->save, "Write the document (JSON) after the presses");
  AddFileUnitOptions(cmd, options->units, false);
  cmd->add_flag("--choices", options->choices, "Also list the values and labels of every choice parameter");
  cmd->add_option("--press", options->presses, "Press the button with this ID (repeatable, in order)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  cmd->callback([argv0, &pluginsOption, options] {
    const int code = RunDescribe(ResolvePluginsFolder(pluginsOption, argv0), *options);
    if (code != 0)
      throw CLI::RuntimeError(code);
  });
}

} // namespace qhost::app
