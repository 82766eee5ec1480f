// The host's core services: memory, nodes, registration, resources, console,
// files and dialogs.
#pragma once

#include <vector>

#include "hostapi/host_interface.h"

namespace qhost {

// Per-thread state that the work of a parallel loop must share with the
// thread that started it (the newest noise generator, for one): captured on
// the calling thread, installed on a worker for the length of each range and
// then restored. A family that keeps such state registers it once.
struct ThreadStateForwarding
{
  void* (*capture)();
  void* (*install)(void* state); // returns what it replaced, for the restore
};
void AddThreadStateForwarding(ThreadStateForwarding forwarding);

class CoreServicesImpl final : public CoreServices
{
public:
  void* Alloc(size_t size) override;
  void Free(void* memory) override;

  GeListNode* AllocNode(NodeClass kind, Int32 type) override;
  void FreeNode(GeListNode* node) override;
  CTrack* AllocTrack(BaseList2D* owner, const DescID& id) override;
  CustomDataType* AllocCustomData(Int32 type) override;
  void FreeCustomData(CustomDataType* data) override;
  BaseContainer GetCustomDataTypeDefault(Int32 type) override;

  Bool RegisterPlugin(const PluginRegistration& registration) override;

  void* LoadResource(const String& resourceFolder) override;
  String ResourceString(void* resource, Int32 id) override;
  void FreeResource(void* resource) override;
  BaseBitmap* LoadBitmap(const String& path, Float pixelRatio) override;
  void FreeBitmap(BaseBitmap* bitmap) override;

  void WriteConsole(OUTPUT kind, TARGETAUDIENCE audience, WRITEMETA meta, const char* file, Int32 line,
                    const char* text, std::initializer_list<OutputArg> args) override;
  String JoinPath(const String& folder, const String& name) override;
  Bool ExecuteFile(const String& path) override;
  Int32 MessageDialog(Int32 flags, const String& text) override;
  void EventAdd(Int32 flags) override;
  void ParallelFor(Int32 count, ParallelForBody body, void* context) override;

  // What the host did on the plug-ins' behalf, for tests and the application.
  const std::vector<String>& Dialogs() const { return dialogs_; }
  const std::vector<String>& ExecutedFiles() const { return executedFiles_; }
  Int32 EventCount() const { return eventCount_; }
  const String& LastRegistrationError() const { return lastRegistrationError_; }

private:
  std::vector<String> dialogs_;
  std::vector<String> executedFiles_;
  Int32 eventCount_ = 0;
  String lastRegistrationError_;
};

// Writes a line of the host itself to the console.
void HostMessage(const String& text);

} // namespace qhost
