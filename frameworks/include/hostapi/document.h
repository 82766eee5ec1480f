// Documents (scenes) and render settings.
#pragma once

#include "hostapi/objects.h"

class BaseMaterial;

class RenderData : public BaseList2D
{
public:
  static RenderData* Alloc();
};

class BaseDocument : public BaseList2D
{
public:
  static BaseDocument* Alloc();
  static void Free(BaseDocument*& doc);

  // Inserts op under parent after pred; at the top level when parent is null.
  virtual void InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred) = 0;
  virtual BaseObject* GetFirstObject() const = 0;
  // Depth-first search by name.
  virtual BaseObject* SearchObject(const String& name) const = 0;

  virtual BaseMaterial* GetFirstMaterial() const = 0;
  virtual void InsertMaterial(BaseMaterial* mat, BaseMaterial* pred = nullptr) = 0;

  virtual RenderData* GetActiveRenderData() const = 0;
  virtual void InsertRenderData(RenderData* rd) = 0;
  virtual void SetActiveRenderData(RenderData* rd) = 0;

  // The node with this unique ID anywhere in the document, or null.
  virtual BaseList2D* FindNode(Int64 uid) const = 0;
};

// Tells the host that the scene changed and views should refresh.
void EventAdd(Int32 flags = EVENT_NONE);

inline BaseList2D* BaseLink::GetLink(const BaseDocument* doc) const
{
  return doc && uid != 0 ? doc->FindNode(uid) : nullptr;
}

inline BaseList2D* BaseContainer::GetLink(Int32 id, const BaseDocument* doc, Int32 instanceOf) const
{
  const GeData* d = GetDataPointer(id);
  if (!d || d->GetType() != DA_ALIASLINK)
    return nullptr;
  BaseList2D* node = d->GetBaseLink().GetLink(doc);
  if (node && instanceOf != 0 && !node->IsInstanceOf(instanceOf))
    return nullptr;
  return node;
}

inline void BaseContainer::SetLink(Int32 id, const BaseList2D* node)
{
  SetData(id, GeData(BaseLink{node ? node->GetUniqueId() : 0}));
}
