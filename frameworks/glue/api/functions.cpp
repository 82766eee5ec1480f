// Free functions of the API, forwarded to the host.
#include "glue/api/bound_host.h"

void* HostAlloc(size_t size) { return glue::Host().core->Alloc(size); }
void HostFree(void* memory) { glue::Host().core->Free(memory); }

Bool SendModelingCommand(Int32 command, ModelingCommandData& data)
{
  return glue::Host().geometry->SendModelingCommand(command, data);
}
void EventAdd(Int32 flags) { glue::Host().core->EventAdd(flags); }
void ParallelFor(Int32 count, ParallelForBody body, void* context)
{
  glue::Host().core->ParallelFor(count, body, context);
}
BaseContainer GetCustomDataTypeDefault(Int32 type) { return glue::Host().core->GetCustomDataTypeDefault(type); }

Bool InitFbm(Float* table, Int32 maxOctaves, Float lacunarity, Float h)
{
  return glue::Host().noise->InitFbm(table, maxOctaves, lacunarity, h);
}
Float RidgedMultifractal(const Float* table, const Vector& p, Float octaves, Float offset, Float gain)
{
  return glue::Host().noise->RidgedMultifractal(table, p, octaves, offset, gain);
}
Float Turbulence(const Vector& p, Float octaves, Bool absolute)
{
  return glue::Host().noise->Turbulence(p, octaves, absolute);
}
Vector RGBToHSV(const Vector& rgb) { return glue::Host().shading->RGBToHSV(rgb); }
Vector HSVToRGB(const Vector& hsv) { return glue::Host().shading->HSVToRGB(hsv); }
const GradientRenderData* GetDefaultGradientRenderData() { return glue::Host().shading->DefaultGradientRenderData(); }

void WriteConsoleLine(OUTPUT kind, TARGETAUDIENCE audience, WRITEMETA meta, const char* file, Int32 line,
                      const char* text, std::initializer_list<OutputArg> args)
{
  glue::Host().core->WriteConsole(kind, audience, meta, file, line, text, args);
}

Filename operator+(const Filename& folder, const Filename& name)
{
  return Filename(glue::Host().core->JoinPath(folder.GetString(), name.GetString()));
}
Bool GeExecuteFile(const Filename& path) { return glue::Host().core->ExecuteFile(path.GetString()); }
Int32 MessageDialog(Int32 flags, const String& text) { return glue::Host().core->MessageDialog(flags, text); }

Bool GeResource::Init(const Filename& moduleFolder)
{
  Free();
  const Filename folder = moduleFolder + Filename("res");
  handle_ = glue::Host().core->LoadResource(folder.GetString());
  return handle_ != nullptr;
}
void GeResource::Free()
{
  if (handle_)
    glue::Host().core->FreeResource(handle_);
  handle_ = nullptr;
}
String GeResource::LoadString(Int32 id) const
{
  return handle_ ? glue::Host().core->ResourceString(handle_, id) : String();
}

AutoBitmap::AutoBitmap(const Filename& file, Float pixelRatio)
    : bitmap_(glue::Host().core->LoadBitmap(file.GetString(), pixelRatio))
{
}
AutoBitmap::~AutoBitmap()
{
  if (bitmap_)
    glue::Host().core->FreeBitmap(bitmap_);
}
