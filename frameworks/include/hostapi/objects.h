// Objects, polygon objects and tags.
#pragma once

#include "hostapi/nodes.h"

class BaseTag;
class HierarchyHelp;

class BaseObject : public BaseList2D
{
public:
  // A new object of a built-in or registered type, or null.
  static BaseObject* Alloc(Int32 type);
  // Frees the object with its children, tags and caches; sets op to null.
  static void Free(BaseObject*& op);

  BaseObject* GetNext() const { return static_cast<BaseObject*>(GetNextNode()); }
  BaseObject* GetPred() const { return static_cast<BaseObject*>(GetPredNode()); }
  BaseObject* GetUp() const { return static_cast<BaseObject*>(GetUpNode()); }
  BaseObject* GetDown() const { return static_cast<BaseObject*>(GetDownNode()); }

  virtual Matrix GetMl() const = 0;
  virtual void SetMl(const Matrix& m) = 0;
  // Global matrix: the parents' matrices applied to the local one.
  virtual Matrix GetMg() const = 0;

  virtual BaseTag* GetFirstTag() const = 0;
  virtual BaseTag* GetTag(Int32 type, Int32 nr = 0) const = 0;
  // Inserts tag after pred (first when pred is null); the object takes ownership.
  virtual void InsertTag(BaseTag* tag, BaseTag* pred = nullptr) = 0;
  virtual BaseTag* MakeTag(Int32 type, BaseTag* pred = nullptr) = 0;
  virtual void KillTag(Int32 type, Int32 nr = 0) = 0;
  // Creates or updates the Phong tag (on, angle limit, angle in radians).
  virtual Bool SetPhong(Bool on, Bool anglelimit, Float angle) = 0;

  // The generator cache the host keeps for this object, or null.
  virtual BaseObject* GetCache() const = 0;

  // For generators: a polygon (ASPOLY) clone of op, and whether anything of this
  // generator or op's hierarchy changed since the last build. When nothing did,
  // *dirty is false and the current cache is returned instead of a clone.
  virtual BaseObject* GetAndCheckHierarchyClone(const HierarchyHelp* hh, BaseObject* op, HIERARCHYCLONEFLAGS flags,
                                                Bool* dirty, AliasTrans* trans, Bool allchildren) = 0;
};

class PolygonObject : public BaseObject
{
public:
  static PolygonObject* Alloc(Int32 pointCount, Int32 polygonCount);

  virtual Int32 GetPointCount() const = 0;
  virtual const Vector* GetPointR() const = 0;
  // Writable points; raises the point dirty counter.
  virtual Vector* GetPointW() = 0;
  virtual Int32 GetPolygonCount() const = 0;
  virtual const CPolygon* GetPolygonR() const = 0;
  virtual CPolygon* GetPolygonW() = 0;
  virtual Bool ResizeObject(Int32 pointCount, Int32 polygonCount) = 0;
};

inline PolygonObject* ToPoly(BaseObject* op) { return static_cast<PolygonObject*>(op); }

class BaseTag : public BaseList2D
{
public:
  static BaseTag* Alloc(Int32 type);
  static void Free(BaseTag*& tag);

  BaseTag* GetNext() const { return static_cast<BaseTag*>(GetNextNode()); }
  BaseTag* GetPred() const { return static_cast<BaseTag*>(GetPredNode()); }
  virtual BaseObject* GetObject() const = 0;
};

// A set of element indices (points or polygons).
class BaseSelect
{
public:
  static BaseSelect* Alloc();
  static void Free(BaseSelect*& sel);

  virtual Int32 GetCount() const = 0;
  virtual Bool Select(Int32 index) = 0;
  virtual Bool Deselect(Int32 index) = 0;
  virtual void DeselectAll() = 0;
  virtual Bool IsSelected(Int32 index) const = 0;
  virtual Bool CopyTo(BaseSelect* dest) const = 0;
  // Selected indices in ascending order; the index-th of them, for iteration.
  virtual Int32 GetSelectedIndex(Int32 nth) const = 0;

protected:
  virtual ~BaseSelect() = default;
};

// Polygon and point selection tags hold a BaseSelect.
class SelectionTag : public BaseTag
{
public:
  virtual BaseSelect* GetBaseSelect() const = 0;
};

// UVW coordinates, one UVWStruct per polygon.
class UVWTag : public BaseTag
{
public:
  virtual Int32 GetDataCount() const = 0;
  virtual UVWStruct GetSlow(Int32 polygon) const = 0;
  virtual void SetSlow(Int32 polygon, const UVWStruct& uvw) = 0;
};

// Converts a selection of one element kind into another (polygons to points).
class SelectionChanger
{
public:
  static SelectionChanger* Alloc();
  static void Free(SelectionChanger*& sc);

  // Takes sel as a selection of kind mode (SELECTIONMODE_*) on op.
  virtual Bool InitFromSelection(const BaseSelect* sel, Int32 mode, const PolygonObject* op) = 0;
  // The points of the selected elements, or null before a successful init.
  virtual BaseSelect* GetPointS() const = 0;

protected:
  virtual ~SelectionChanger() = default;
};

// One-ring adjacency of a polygon mesh.
class Neighbor
{
public:
  static Neighbor* Alloc();
  static void Free(Neighbor*& nb);

  virtual Bool Init(Int32 pointCount, const CPolygon* polygons, Int32 polygonCount, const BaseSelect* bs) = 0;
  // The points sharing an edge with point; *count is 0 for an unused point.
  virtual void GetPointOneRingPoints(Int32 point, const Int32** points, Int32* count) const = 0;

protected:
  virtual ~Neighbor() = default;
};

// What the host hands a generator's build hook.
class HierarchyHelp
{
public:
  virtual BaseDocument* GetDocument() const = 0;

protected:
  virtual ~HierarchyHelp() = default;
};

struct ModelingCommandData
{
  BaseDocument* doc = nullptr;
  BaseObject* op = nullptr;
  BaseContainer* bc = nullptr;
  MODELINGCOMMANDMODE mode = MODELINGCOMMANDMODE::ALL;
  MODELINGCOMMANDFLAGS flags = MODELINGCOMMANDFLAGS::NONE;
  // New objects made by the command; the caller owns and frees them.
  std::vector<BaseObject*> result;
};

// Runs a modeling command (MCOMMAND_*) in data.doc; false on failure.
Bool SendModelingCommand(Int32 command, ModelingCommandData& data);
