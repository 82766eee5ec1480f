// The host-side state of every scene node, and the template that turns it into
// an implementation of an API node interface.
//
// A node lives in at most one list: a hierarchy (an object's children, a
// document's top-level objects) or a branch of an owner (an object's tags, a
// node's tracks, a material's shaders). Lists own their nodes.
#pragma once

#include <cstdint>
#include <memory>

#include "hostapi/host_interface.h"

namespace qhost {

class NodeCore;
struct PluginInfo;

enum class ListKind { Hierarchy, TopLevel, Branch };

struct NodeList
{
  NodeCore* owner = nullptr;
  ListKind kind = ListKind::Branch;
  NodeCore* first = nullptr;
  NodeCore* last = nullptr; // kept so appending to a long list stays cheap

  NodeCore* Last() const { return last; }
  Int32 Count() const;
  void Append(NodeCore* node);
  void InsertAfter(NodeCore* node, NodeCore* pred); // pred null: at the front
  void DestroyAll();
};

class NodeCore
{
public:
  NodeCore(NodeClass kind, Int32 type);
  virtual ~NodeCore();
  NodeCore(const NodeCore&) = delete;
  NodeCore& operator=(const NodeCore&) = delete;

  // The API interface this node implements.
  virtual GeListNode* Api() = 0;
  const GeListNode* Api() const { return const_cast<NodeCore*>(this)->Api(); }

  NodeClass Kind() const { return kind_; }
  Int32 Type() const { return type_; }
  Int32 Info() const { return info_; }
  void SetInfo(Int32 info) { info_ = info; }
  Int64 Uid() const { return uid_; }
  // Nodes that exist now, in the whole process: a leak check for what
  // plug-ins allocate and free through the host.
  static Int64 LiveCount();
  // Used by the scene loader to keep stored links valid.
  void SetUid(Int64 uid);

  // ---- Parameters and name ----
  String name;
  BaseContainer data;
  Bool GetParameter(const DescID& id, GeData& value) const;
  Bool SetParameter(const DescID& id, const GeData& value);

  // ---- Plug-in instance ----
  NodeData* PluginData() const { return pluginData_; }
  const PluginInfo* Plugin() const { return plugin_; }
  void AttachPlugin(const PluginInfo* plugin, NodeData* data);

  // ---- Lists ----
  NodeList* list = nullptr;
  NodeCore* next = nullptr;
  NodeCore* pred = nullptr;
  NodeList children{this, ListKind::Hierarchy};
  NodeList tags{this, ListKind::Branch};
  NodeList tracks{this, ListKind::Branch};
  NodeList shaders{this, ListKind::Branch};

  NodeCore* Parent() const;  // the hierarchy parent, null at the top level
  NodeCore* Owner() const;   // the owner of the branch this node is in, null otherwise
  void Unlink();
  // The document this node belongs to, through parents and owners.
  BaseDocument* Document() const;
  virtual BaseDocument* AsDocument() { return nullptr; }

  // ---- Dirty counters ----
  UInt32 GetDirty(Int32 flags) const;
  void SetDirty(Int32 flags);

  // Frees the plug-in instance, children and branches; DestroyNode calls it
  // before deleting the node.
  void ReleaseContent();

  // ---- Messages and cloning ----
  Bool SendMessage(Int32 type, void* messageData);
  // A deep copy (unless NO_HIERARCHY): a new node of the same type, initialised,
  // then parameters, family data, children and branches copied.
  NodeCore* Clone(COPYFLAGS flags) const;

protected:
  // Families copy their own state (points, matrices, selections, ...) here.
  virtual void CopyStateTo(NodeCore& dest) const;
  // Called on a finished clone, once its children and branches exist, so
  // links into the source's branches can be pointed at their copies.
  virtual void RelinkClonedBranches(const NodeCore& source);
  // Host handling of a message after the plug-in's.
  virtual void HandleMessage(Int32 type, void* messageData);

private:
  NodeClass kind_;
  Int32 type_;
  Int32 info_ = 0;
  Int64 uid_;
  const PluginInfo* plugin_ = nullptr;
  NodeData* pluginData_ = nullptr;
  UInt32 dirtyData_ = 0;
  UInt32 dirtyMatrix_ = 0;
  UInt32 dirtyChildren_ = 0;
  UInt32 dirtyCache_ = 0;
  UInt32 dirtySelect_ = 0;
};

// The host node behind an API pointer. Every node the host hands out is a NodeCore.
NodeCore* Core(const GeAtom* atom);
template <typename T>
T* As(const GeAtom* atom)
{
  return dynamic_cast<T*>(Core(atom));
}
inline GeListNode* ApiOf(NodeCore* node) { return node ? node->Api() : nullptr; }

// Frees a node: removes it from its list and destroys it with everything it owns.
void DestroyNode(NodeCore* node);

// Implements the generic part of an API node interface on top of NodeCore.
template <typename ApiT>
class Node : public ApiT, public NodeCore
{
public:
  Node(NodeClass kind, Int32 type) : NodeCore(kind, type) {}

  GeListNode* Api() override { return this; }

  // GeAtom
  Int32 GetType() const override { return NodeCore::Type(); }
  Int32 GetInfo() const override { return NodeCore::Info(); }
  Bool Message(Int32 type, void* messageData) override { return SendMessage(type, messageData); }
  GeAtom* GetClone(COPYFLAGS flags, AliasTrans*) const override { return ApiOf(Clone(flags)); }
  Bool GetParameter(const DescID& id, GeData& value, DESCFLAGS_GET) const override
  {
    return NodeCore::GetParameter(id, value);
  }
  Bool SetParameter(const DescID& id, const GeData& value, DESCFLAGS_SET) override
  {
    return NodeCore::SetParameter(id, value);
  }
  UInt32 GetDirty(Int32 flags) const override { return NodeCore::GetDirty(flags); }
  void SetDirty(Int32 flags) override { NodeCore::SetDirty(flags); }

  // GeListNode
  GeListNode* GetNextNode() const override { return ApiOf(next); }
  GeListNode* GetPredNode() const override { return ApiOf(pred); }
  GeListNode* GetUpNode() const override { return ApiOf(Parent()); }
  GeListNode* GetDownNode() const override { return ApiOf(children.first); }
  void InsertBefore(GeListNode* node) override;
  void InsertAfter(GeListNode* node) override;
  void InsertUnder(GeListNode* node) override;
  void InsertUnderLast(GeListNode* node) override;
  void Remove() override { Unlink(); }
  BaseDocument* GetDocument() const override { return Document(); }
  NodeData* GetNodeData() const override { return PluginData(); }

  // BaseList2D
  String GetName() const override { return name; }
  void SetName(const String& n) override
  {
    name = n;
    NodeCore::SetDirty(DIRTYFLAGS_DATA);
  }
  BaseContainer* GetDataInstance() override { return &data; }
  const BaseContainer* GetDataInstance() const override { return &data; }
  void SetData(const BaseContainer& bc) override
  {
    data = bc;
    NodeCore::SetDirty(DIRTYFLAGS_DATA);
  }
  Int64 GetUniqueId() const override { return Uid(); }
  CTrack* GetFirstCTrack() const override { return static_cast<CTrack*>(ApiOf(tracks.first)); }
  CTrack* FindCTrack(const DescID& id) const override;
  void InsertTrackSorted(CTrack* track) override;
  BaseShader* GetFirstShader() const override { return static_cast<BaseShader*>(ApiOf(shaders.first)); }
  void InsertShader(BaseShader* shader, BaseShader* pred) override;
  BaseList2D* GetMain() const override { return static_cast<BaseList2D*>(ApiOf(Owner())); }
};

// Shared implementations of the template's list operations.
void InsertNodeBefore(NodeCore& self, GeListNode* node);
void InsertNodeAfter(NodeCore& self, GeListNode* node);
void InsertNodeUnder(NodeCore& self, GeListNode* node, bool last);
CTrack* FindTrack(const NodeCore& self, const DescID& id);
void InsertTrack(NodeCore& self, CTrack* track);
void InsertShaderNode(NodeCore& self, BaseShader* shader, BaseShader* pred);

template <typename ApiT>
void Node<ApiT>::InsertBefore(GeListNode* node) { InsertNodeBefore(*this, node); }
template <typename ApiT>
void Node<ApiT>::InsertAfter(GeListNode* node) { InsertNodeAfter(*this, node); }
template <typename ApiT>
void Node<ApiT>::InsertUnder(GeListNode* node) { InsertNodeUnder(*this, node, false); }
template <typename ApiT>
void Node<ApiT>::InsertUnderLast(GeListNode* node) { InsertNodeUnder(*this, node, true); }
template <typename ApiT>
CTrack* Node<ApiT>::FindCTrack(const DescID& id) const { return FindTrack(*this, id); }
template <typename ApiT>
void Node<ApiT>::InsertTrackSorted(CTrack* track) { InsertTrack(*this, track); }
template <typename ApiT>
void Node<ApiT>::InsertShader(BaseShader* shader, BaseShader* pred) { InsertShaderNode(*this, shader, pred); }

} // namespace qhost
