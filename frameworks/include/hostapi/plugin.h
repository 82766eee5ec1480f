// Plug-in data classes and their registration.
#pragma once

#include <cstring>
#include <new>

#include "hostapi/description.h"
#include "hostapi/shading.h"

class BaseBitmap;

// The data class behind every plug-in node. The host creates it through the
// plug-in's allocation function, calls Init, and owns it from then on.
class NodeData
{
public:
  virtual ~NodeData() = default;
  virtual Bool Init(GeListNode* node, Bool isCloneInit);
  virtual void Free(GeListNode* node);
  virtual Bool Message(GeListNode* node, Int32 type, void* data);
  // Without DESCFLAGS_DESC::LOADED in flags after the call, the host shows the
  // static description registered for the type.
  virtual Bool GetDDescription(const GeListNode* node, Description* description, DESCFLAGS_DESC& flags) const;
  virtual Bool GetDEnabling(const GeListNode* node, const DescID& id, const GeData& tData, DESCFLAGS_ENABLE flags,
                            const BaseContainer* itemdesc) const;
};

class ObjectData : public NodeData
{
public:
  virtual void GetDimension(const BaseObject* op, Vector* mp, Vector* rad) const;
  // Builds the generator's cache; the host owns the returned object.
  virtual BaseObject* GetVirtualObjects(BaseObject* op, const HierarchyHelp* hh);
};

class ShaderData : public NodeData
{
public:
  virtual INITRENDERRESULT InitRender(BaseShader* sh, const InitRenderStruct& irs);
  virtual void FreeRender(BaseShader* sh);
  // Called from many render threads at once.
  virtual Vector Output(const BaseShader* sh, ChannelData* cd) const;
  virtual SHADERINFO GetRenderInfo(BaseShader* sh);
};

using DataAllocator = NodeData*();

// Memory from the host's allocator; the host frees plug-in instances with it.
void* HostAlloc(size_t size);
void HostFree(void* memory);

// A zero-filled new instance of T from the host's allocator, or null.
template <typename T>
T* NewObjClear()
{
  void* memory = HostAlloc(sizeof(T));
  if (!memory)
    return nullptr;
  std::memset(memory, 0, sizeof(T));
  return new (memory) T();
}

Bool RegisterShaderPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                          const String& description, Int32 disklevel);
Bool RegisterObjectPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                          const String& description, BaseBitmap* icon, Int32 disklevel);
