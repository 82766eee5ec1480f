#include "host/core/node_factory.h"

#include "hostapi/host_interface.h"
#include "host/core/bitmap.h"
#include "host/core/input_error.h"

namespace qhost {
namespace {

Int32 PluginTypeOf(NodeClass kind)
{
  switch (kind)
  {
    case NodeClass::Object: return PLUGINTYPE_OBJECT;
    case NodeClass::Shader: return PLUGINTYPE_SHADER;
    default: return -1;
  }
}

} // namespace

NodeFactory& NodeFactory::Instance()
{
  static NodeFactory factory;
  return factory;
}

void NodeFactory::RegisterType(NodeClass kind, Int32 type, String name, Int32 info, std::function<NodeCore*()> make)
{
  builtins_[{kind, type}] = BuiltinType{std::move(make), info, std::move(name)};
}

void NodeFactory::RegisterPluginCarrier(NodeClass kind, std::function<NodeCore*(Int32)> make)
{
  carriers_[kind] = std::move(make);
}

void NodeFactory::RegisterCustomData(Int32 type, std::function<CustomDataType*()> make)
{
  customData_[type] = std::move(make);
}

const BuiltinType* NodeFactory::FindBuiltin(NodeClass kind, Int32 type) const
{
  const auto it = builtins_.find({kind, type});
  return it == builtins_.end() ? nullptr : &it->second;
}

NodeCore* NodeFactory::Create(NodeClass kind, Int32 type, Bool isCloneInit) const
{
  if (createHook_ && !createHook_(kind, type))
    return nullptr;
  NodeCore* node = CreateUnobserved(kind, type, isCloneInit);
  if (node && createObserver_)
    createObserver_(*node);
  return node;
}

NodeCore* NodeFactory::CreateUnobserved(NodeClass kind, Int32 type, Bool isCloneInit) const
{
  if (const BuiltinType* builtin = FindBuiltin(kind, type))
  {
    NodeCore* node = builtin->make();
    if (node)
      node->SetInfo(builtin->info);
    return node;
  }
  const PluginInfo* plugin = FindPlugin(type);
  const auto carrier = carriers_.find(kind);
  if (!plugin || plugin->registration.pluginType != PluginTypeOf(kind) || carrier == carriers_.end())
    return nullptr;
  NodeData* instance = plugin->registration.allocator();
  if (!instance)
    return nullptr;
  NodeCore* node = carrier->second(type);
  node->SetInfo(plugin->registration.info);
  node->AttachPlugin(plugin, instance);
  if (!instance->Init(node->Api(), isCloneInit))
  {
    DestroyNode(node);
    return nullptr;
  }
  return node;
}

CustomDataType* NodeFactory::CreateCustomData(Int32 type) const
{
  const auto it = customData_.find(type);
  return it == customData_.end() ? nullptr : it->second();
}

void NodeFactory::RegisterPlugin(const PluginRegistration& registration)
{
  if (FindPlugin(registration.id))
    throw InputError("plug-in ID " + std::to_string(registration.id) + " is already registered");
  if (!registration.allocator)
    throw InputError("plug-in " + std::to_string(registration.id) + " has no allocation function");
  auto info = std::make_unique<PluginInfo>();
  // The description resource comes first: without it the plug-in is refused.
  const String path = GetHostInterface()->core->JoinPath(
      GetHostInterface()->core->JoinPath(registration.resourceFolder, "description"), registration.description + ".json");
  info->description = LoadDescriptionResource(path);
  info->registration = registration;
  // Keep a copy of the icon: the module frees its own after registering.
  info->registration.icon = nullptr;
  if (const auto* icon = dynamic_cast<const HostBitmap*>(registration.icon))
    info->icon = std::make_unique<HostBitmap>(*icon);
  plugins_.push_back(std::move(info));
}

const PluginInfo* NodeFactory::FindPlugin(Int32 id) const
{
  for (const auto& p : plugins_)
    if (p->registration.id == id)
      return p.get();
  return nullptr;
}

std::vector<const PluginInfo*> NodeFactory::Plugins() const
{
  std::vector<const PluginInfo*> list;
  for (const auto& p : plugins_)
    list.push_back(p.get());
  return list;
}

const DescriptionResource* NodeFactory::FindDescription(Int32 type) const
{
  if (const PluginInfo* plugin = FindPlugin(type))
    return &plugin->description;
  const auto it = builtinDescriptions_.find(type);
  return it == builtinDescriptions_.end() ? nullptr : &it->second;
}

void NodeFactory::RegisterBuiltinDescription(Int32 type, DescriptionResource description)
{
  builtinDescriptions_[type] = std::move(description);
}

} // namespace qhost
