// Creates nodes by kind and type: built-in types registered by the host's
// families, and plug-in types registered by modules.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "host/core/bitmap.h"
#include "host/core/description_resource.h"
#include "host/core/node_core.h"

namespace qhost {

// A plug-in registered by a module, with its parsed description.
struct PluginInfo
{
  PluginRegistration registration;
  DescriptionResource description;
  std::unique_ptr<HostBitmap> icon;
};

struct BuiltinType
{
  std::function<NodeCore*()> make;
  Int32 info = 0;
  String name;
};

class NodeFactory
{
public:
  static NodeFactory& Instance();

  void RegisterType(NodeClass kind, Int32 type, String name, Int32 info, std::function<NodeCore*()> make);
  // How to make the node that carries a plug-in instance of this kind.
  void RegisterPluginCarrier(NodeClass kind, std::function<NodeCore*(Int32 type)> make);
  void RegisterCustomData(Int32 type, std::function<CustomDataType*()> make);

  // Called before every creation; returning false refuses it, as an exhausted
  // allocator would (tests inject failures with it). Null removes the hook.
  using CreateHook = std::function<bool(NodeClass kind, Int32 type)>;
  void SetCreateHook(CreateHook hook) { createHook_ = std::move(hook); }
  // Called with every node created (tests inspect what plug-ins make).
  using CreateObserver = std::function<void(NodeCore& node)>;
  void SetCreateObserver(CreateObserver observer) { createObserver_ = std::move(observer); }

  // A new, initialised node, or null (unknown type, failed allocation or Init).
  NodeCore* Create(NodeClass kind, Int32 type, Bool isCloneInit = false) const;
  CustomDataType* CreateCustomData(Int32 type) const;
  const BuiltinType* FindBuiltin(NodeClass kind, Int32 type) const;

  // Plug-ins.
  // Throws InputError saying why the plug-in is refused.
  void RegisterPlugin(const PluginRegistration& registration);
  const PluginInfo* FindPlugin(Int32 id) const;
  std::vector<const PluginInfo*> Plugins() const;
  // The static description of a type (plug-in or built-in), or null.
  const DescriptionResource* FindDescription(Int32 type) const;
  void RegisterBuiltinDescription(Int32 type, DescriptionResource description);

private:
  NodeFactory() = default;
  NodeCore* CreateUnobserved(NodeClass kind, Int32 type, Bool isCloneInit) const;
  std::map<std::pair<NodeClass, Int32>, BuiltinType> builtins_;
  std::map<NodeClass, std::function<NodeCore*(Int32)>> carriers_;
  std::map<Int32, std::function<CustomDataType*()>> customData_;
  std::vector<std::unique_ptr<PluginInfo>> plugins_;
  std::map<Int32, DescriptionResource> builtinDescriptions_;
  CreateHook createHook_;
  CreateObserver createObserver_;
};

} // namespace qhost
