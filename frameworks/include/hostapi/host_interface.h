// The record the host hands a module with the first system-initialisation
// action, and the service tables behind the free functions and static
// allocators of the API. The framework glue forwards every such call here.
#pragma once

#include <initializer_list>

#include "hostapi/fields.h"
#include "hostapi/noise.h"
#include "hostapi/parallel.h"
#include "hostapi/plugin.h"
#include "hostapi/system.h"
#include "hostapi/tracks.h"

// Kinds of node the host allocates by type.
enum class NodeClass : Int32 { Object, Tag, Shader, Material, Document, RenderData, Track };

struct PluginRegistration
{
  Int32 pluginType = 0; // PLUGINTYPE_*
  Int32 id = 0;
  String name;
  Int32 info = 0;
  DataAllocator* allocator = nullptr;
  String description;
  BaseBitmap* icon = nullptr; // the host copies it
  Int32 disklevel = 0;
  String resourceFolder;      // the module's "res" folder, where the description lives
};

class CoreServices
{
public:
  virtual void* Alloc(size_t size) = 0;
  virtual void Free(void* memory) = 0;

  virtual GeListNode* AllocNode(NodeClass kind, Int32 type) = 0;
  virtual void FreeNode(GeListNode* node) = 0;
  virtual CTrack* AllocTrack(BaseList2D* owner, const DescID& id) = 0;
  virtual CustomDataType* AllocCustomData(Int32 type) = 0;
  virtual void FreeCustomData(CustomDataType* data) = 0;
  virtual BaseContainer GetCustomDataTypeDefault(Int32 type) = 0;

  virtual Bool RegisterPlugin(const PluginRegistration& registration) = 0;

  virtual void* LoadResource(const String& resourceFolder) = 0;
  virtual String ResourceString(void* resource, Int32 id) = 0;
  virtual void FreeResource(void* resource) = 0;
  virtual BaseBitmap* LoadBitmap(const String& path, Float pixelRatio) = 0;
  virtual void FreeBitmap(BaseBitmap* bitmap) = 0;

  virtual void WriteConsole(OUTPUT kind, TARGETAUDIENCE audience, WRITEMETA meta, const char* file, Int32 line,
                            const char* text, std::initializer_list<OutputArg> args) = 0;
  virtual String JoinPath(const String& folder, const String& name) = 0;
  virtual Bool ExecuteFile(const String& path) = 0;
  virtual Int32 MessageDialog(Int32 flags, const String& text) = 0;
  virtual void EventAdd(Int32 flags) = 0;
  virtual void ParallelFor(Int32 count, ParallelForBody body, void* context) = 0;

protected:
  virtual ~CoreServices() = default;
};

class GeometryServices
{
public:
  virtual Bool SendModelingCommand(Int32 command, ModelingCommandData& data) = 0;
  virtual PolygonObject* AllocPolygonObject(Int32 pointCount, Int32 polygonCount) = 0;
  virtual BaseSelect* AllocSelect() = 0;
  virtual void FreeSelect(BaseSelect* sel) = 0;
  virtual SelectionChanger* AllocSelectionChanger() = 0;
  virtual void FreeSelectionChanger(SelectionChanger* sc) = 0;
  virtual Neighbor* AllocNeighbor() = 0;
  virtual void FreeNeighbor(Neighbor* nb) = 0;

protected:
  virtual ~GeometryServices() = default;
};

class NoiseServices
{
public:
  virtual GeNoise* AllocNoise(Int32 seed) = 0;
  virtual void FreeNoise(GeNoise* noise) = 0;
  virtual Bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h) = 0;
  virtual Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain) = 0;
  virtual Float Turbulence(const Vector& p, Float octaves, Bool absolute) = 0;

protected:
  virtual ~NoiseServices() = default;
};

class ShadingServices
{
public:
  virtual Vector RGBToHSV(const Vector& rgb) = 0;
  virtual Vector HSVToRGB(const Vector& hsv) = 0;
  virtual const GradientRenderData* DefaultGradientRenderData() = 0;

protected:
  virtual ~ShadingServices() = default;
};

// Action 1's first argument.
struct HostInterface
{
  Int32 apiVersion = 0;
  CoreServices* core = nullptr;
  GeometryServices* geometry = nullptr;
  NoiseServices* noise = nullptr;
  ShadingServices* shading = nullptr;
};

// Action 1's third argument: what the host knows about the module it loads.
struct ModuleContext
{
  const char* modulePath = nullptr; // the module file
};

// Binds the glue's calls to a host (the module does this at action 1; the host
// binds its own copy of the glue at start-up).
void BindHostInterface(const HostInterface* host);
const HostInterface* GetHostInterface();
