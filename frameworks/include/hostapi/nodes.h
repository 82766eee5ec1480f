// The node classes every element of a scene derives from: atom, list node and
// the named, parameterised BaseList2D. The host implements them; a plug-in sees
// only these interfaces.
#pragma once

#include "hostapi/container.h"
#include "hostapi/desc_id.h"
#include "hostapi/ids.h"

class BaseDocument;
class BaseShader;
class CTrack;
class NodeData;

// Maps originals to clones while a hierarchy is copied (links follow their clones).
class AliasTrans;

class GeAtom
{
public:
  virtual Int32 GetType() const = 0;
  Bool IsInstanceOf(Int32 type) const { return GetType() == type; }
  // Plug-in info flags of the node's type (OBJECT_*), 0 for built-in types without.
  virtual Int32 GetInfo() const = 0;

  // Sends a message to the node's data class and the host's own handling.
  virtual Bool Message(Int32 type, void* data = nullptr) = 0;
  // A new node of the same type: a new instance initialised, then the parameters
  // (and, unless NO_HIERARCHY, children, tags, tracks and shaders) copied.
  virtual GeAtom* GetClone(COPYFLAGS flags, AliasTrans* trans) const = 0;

  virtual Bool GetParameter(const DescID& id, GeData& value, DESCFLAGS_GET flags) const = 0;
  virtual Bool SetParameter(const DescID& id, const GeData& value, DESCFLAGS_SET flags) = 0;

  // Dirty counter of the given DIRTYFLAGS_* set; raised by every change of that kind.
  virtual UInt32 GetDirty(Int32 flags) const = 0;
  virtual void SetDirty(Int32 flags) = 0;

protected:
  GeAtom() = default;
  virtual ~GeAtom() = default;
};

class GeListNode : public GeAtom
{
public:
  virtual GeListNode* GetNextNode() const = 0;
  virtual GeListNode* GetPredNode() const = 0;
  virtual GeListNode* GetUpNode() const = 0;
  virtual GeListNode* GetDownNode() const = 0;

  virtual void InsertBefore(GeListNode* node) = 0;
  virtual void InsertAfter(GeListNode* node) = 0;
  virtual void InsertUnder(GeListNode* node) = 0;
  virtual void InsertUnderLast(GeListNode* node) = 0;
  // Unlinks the node from its list; the caller then owns it.
  virtual void Remove() = 0;

  virtual BaseDocument* GetDocument() const = 0;
  // The plug-in data class instance of a plug-in node, null for built-in types.
  virtual NodeData* GetNodeData() const = 0;
  template <typename T>
  T* GetNodeData() const { return static_cast<T*>(GetNodeData()); }
};

class BaseList2D : public GeListNode
{
public:
  virtual String GetName() const = 0;
  virtual void SetName(const String& name) = 0;

  // The node's own parameter container; writes through it do not raise dirty
  // counters by themselves (SetDirty or SetParameter do).
  virtual BaseContainer* GetDataInstance() = 0;
  virtual const BaseContainer* GetDataInstance() const = 0;
  BaseContainer GetData() const { return *GetDataInstance(); }
  virtual void SetData(const BaseContainer& bc) = 0;

  // Unique within the process; links store it (BaseLink).
  virtual Int64 GetUniqueId() const = 0;

  // Animation tracks, in list order.
  virtual CTrack* GetFirstCTrack() const = 0;
  virtual CTrack* FindCTrack(const DescID& id) const = 0;
  virtual void InsertTrackSorted(CTrack* track) = 0;

  // Shaders owned by this node (a material's shader list).
  virtual BaseShader* GetFirstShader() const = 0;
  virtual void InsertShader(BaseShader* shader, BaseShader* pred = nullptr) = 0;

  // The node that owns this one (a shader's material or a tag's object).
  virtual BaseList2D* GetMain() const = 0;
};

