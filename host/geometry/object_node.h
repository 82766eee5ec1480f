// The host node behind every object type: null objects, polygon objects,
// primitives, plug-in generators and field objects. Each has a local matrix,
// a tag branch, point and polygon arrays (empty unless it is a polygon object)
// and, for generators, the cache the host keeps for it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/core/node_core.h"

namespace qhost {

class NodeFactory;

class ObjectNode final : public Node<PolygonObject>
{
public:
  explicit ObjectNode(Int32 type);
  ~ObjectNode() override;

  // ---- BaseObject ----
  Matrix GetMl() const override { return ml_; }
  void SetMl(const Matrix& m) override;
  Matrix GetMg() const override;

  BaseTag* GetFirstTag() const override;
  BaseTag* GetTag(Int32 type, Int32 nr) const override;
  void InsertTag(BaseTag* tag, BaseTag* pred) override;
  BaseTag* MakeTag(Int32 type, BaseTag* pred) override;
  void KillTag(Int32 type, Int32 nr) override;
  Bool SetPhong(Bool on, Bool anglelimit, Float angle) override;

  BaseObject* GetCache() const override { return cache_; }
  BaseObject* GetAndCheckHierarchyClone(const HierarchyHelp* hh, BaseObject* op, HIERARCHYCLONEFLAGS flags,
                                        Bool* dirty, AliasTrans* trans, Bool allchildren) override;

  // ---- PolygonObject ----
  Int32 GetPointCount() const override { return Int32(points_.size()); }
  const Vector* GetPointR() const override { return points_.data(); }
  Vector* GetPointW() override;
  Int32 GetPolygonCount() const override { return Int32(polygons_.size()); }
  const CPolygon* GetPolygonR() const override { return polygons_.data(); }
  CPolygon* GetPolygonW() override;
  // Negative counts are refused. UVW tags follow the new polygon count.
  Bool ResizeObject(Int32 pointCount, Int32 polygonCount) override;

  // ---- Host side ----
  const std::vector<Vector>& Points() const { return points_; }
  const std::vector<CPolygon>& Polygons() const { return polygons_; }
  // Replaces the geometry (raises the data counter; UVW tags are resized).
  void SetGeometry(std::vector<Vector> points, std::vector<CPolygon> polygons);
  // Moves the geometry out, leaving the object empty (same counters as SetGeometry).
  void TakeGeometry(std::vector<Vector>& points, std::vector<CPolygon>& polygons);

  ObjectNode* Cache() const { return cache_; }
  // Takes ownership of cache (which must not be in a list). The old cache is
  // freed unless it is the same object; a different cache raises DIRTYFLAGS_CACHE.
  void SetCache(ObjectNode* cache);

  bool IsGenerator() const { return (Info() & OBJECT_GENERATOR) != 0; }
  ObjectNode* FirstChild() const;
  ObjectNode* NextSibling() const;

  // Change stamp of the generator and its source at the last hierarchy clone.
  std::optional<std::uint64_t> hierarchyStamp;
  // Parameter state the current cache of a built-in generator was made from.
  std::optional<UInt32> cacheSourceStamp;

protected:
  void CopyStateTo(NodeCore& dest) const override;

private:
  void FitTagsToPolygons();

  Matrix ml_;
  std::vector<Vector> points_;
  std::vector<CPolygon> polygons_;
  ObjectNode* cache_ = nullptr;
};

// The object node behind an API pointer, or null for any other node.
inline ObjectNode* AsObject(const GeAtom* atom) { return As<ObjectNode>(atom); }

// Registers null and polygon objects and the carrier of plug-in objects.
void RegisterObjectTypes(NodeFactory& factory);

} // namespace qhost
