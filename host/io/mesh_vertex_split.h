// Which polygon corners of a mesh can share one vertex of a file format.
//
// Corners are addressed by slot, 4 * polygon + corner; a triangle's fourth
// slot repeats its third. Only corners of the same point can share a vertex,
// so corners are grouped by point once (a counting sort, no hashing) and each
// corner is compared with the earlier corners of its point. Vertices are
// numbered in the order of their first corner, whatever the thread count.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "host/geometry/corners_by_point.h"
#include "host/geometry/mesh_data.h"

namespace qhost {

struct SharedCorners
{
  // The vertex of every slot, four per polygon.
  std::vector<std::uint32_t> vertexOfSlot;
  // For every vertex, the slot that first uses it; ascending.
  std::vector<std::uint32_t> firstSlot;
};

// Corners of one point share a vertex when same(slotA, slotB) holds; the
// relation must be an equivalence. The mesh must pass ValidateMeshForWrite.
template <typename Same>
SharedCorners ShareCorners(const MeshData& mesh, const CornersByPoint& groups, const Same& same)
{
  SharedCorners shared;
  // First the earliest equal slot of every slot, one point group per task...
  std::vector<std::uint32_t>& earliest = shared.vertexOfSlot;
  earliest.resize(4 * mesh.polygons.size());
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, groups.PointCount(), 4096), [&](const tbb::blocked_range<std::size_t>& r) {
    for (std::size_t point = r.begin(); point < r.end(); ++point)
    {
      const std::span<const Int32> slots = groups.Of(point);
      for (auto slot = slots.begin(); slot != slots.end(); ++slot)
      {
        auto match = slots.begin();
        while (match < slot && !same(static_cast<std::uint32_t>(*match), static_cast<std::uint32_t>(*slot)))
          ++match;
        earliest[static_cast<std::size_t>(*slot)] = static_cast<std::uint32_t>(*match);
      }
    }
  });
  // ...then one pass in slot order numbers the vertices; an earlier slot is
  // always numbered before the slots that refer to it.
  for (std::size_t slot = 0; slot < earliest.size(); ++slot)
  {
    if (slot % 4 == 3 && mesh.polygons[slot / 4].IsTriangle())
      earliest[slot] = earliest[slot - 1];
    else if (earliest[slot] == slot)
    {
      earliest[slot] = static_cast<std::uint32_t>(shared.firstSlot.size());
      shared.firstSlot.push_back(static_cast<std::uint32_t>(slot));
    }
    else
      earliest[slot] = earliest[earliest[slot]];
  }
  return shared;
}

// The UV of a corner slot; zero when the mesh has none.
inline Vector SlotUV(const MeshData& mesh, std::uint32_t slot)
{
  if (!mesh.HasUVs())
    return Vector();
  const UVWStruct& uvw = mesh.uvs[slot / 4];
  switch (slot % 4)
  {
    case 0: return uvw.a;
    case 1: return uvw.b;
    case 2: return uvw.c;
    default: return uvw.d;
  }
}

// The point of a corner slot.
inline Int32 SlotPoint(const MeshData& mesh, std::uint32_t slot)
{
  const CPolygon& p = mesh.polygons[slot / 4];
  switch (slot % 4)
  {
    case 0: return p.a;
    case 1: return p.b;
    case 2: return p.c;
    default: return p.d;
  }
}

// One vertex per distinct (point, normal, UV) combination, compared at the
// single precision PLY and glTF store (+0 and -0 alike). cornerNormals holds
// four per polygon.
SharedCorners SplitCornersForFloatFormats(const MeshData& mesh, std::span<const Vector> cornerNormals);

// Merges points with bitwise identical positions and remaps the polygons, so
// a mesh whose vertices were split for attributes is connected again.
void WeldIdenticalPoints(MeshData& mesh);

} // namespace qhost
