// Animation tracks. A track animates one parameter (a vector parameter one
// component per track); keys are stored but not played back by this host.
#pragma once

#include "hostapi/nodes.h"

class CTrack : public BaseList2D
{
public:
  // A new track for parameter id of owner (not inserted), or null.
  static CTrack* Alloc(BaseList2D* owner, const DescID& id);
  static void Free(CTrack*& track);

  CTrack* GetNext() const { return static_cast<CTrack*>(GetNextNode()); }
  virtual DescID GetDescriptionID() const = 0;
  // Reads (set false) or writes the track's information text.
  virtual void TrackInformation(BaseDocument* doc, void* key, String* str, Bool set) = 0;
  virtual Int32 GetKeyCount() const = 0;
  virtual void AddKey(Float time, Float value) = 0;
  virtual void GetKey(Int32 index, Float* time, Float* value) const = 0;
};
