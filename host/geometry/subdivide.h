// Uniform subdivision of polygon meshes: Catmull-Clark or a linear split, with
// sharp creases from a face angle, face-varying UVs and selections carried to
// the child polygons. Every polygon of the result is a quad.
#pragma once

#include <cstdint>
#include <string>

#include "host/geometry/mesh_data.h"

namespace qhost {

// Boundary and UV interpolation modes (SubdivideOptions::mode).
// Smooth boundaries: open borders are smoothed and their corners rounded off;
// UVs are smooth everywhere, UV borders included.
constexpr Int32 kSubdivideModeSmoothBoundaries = 0;
// Keep boundaries: open borders and their corners stay where they are; UVs are
// smooth inside each UV island and linear along UV borders and seams, so
// islands keep their outline. What a user expects, hence the default.
constexpr Int32 kSubdivideModeKeepBoundaries = 1;
// Keep boundaries as above, but UVs are interpolated linearly everywhere.
constexpr Int32 kSubdivideModeLinearUVs = 2;

struct SubdivideOptions
{
  // Catmull-Clark when true, otherwise each polygon is split linearly (points
  // stay on the original polygons; modes only matter for the smooth case).
  bool smooth = true;
  Int32 levels = 1;
  // Edges whose adjacent face normals differ by more than this (radians)
  // become infinitely sharp creases; pi leaves every edge smooth.
  Float angle = kPi;
  Int32 mode = kSubdivideModeKeepBoundaries;
};

// Largest result Subdivide ever produces: four corner slots per polygon stay
// within 32-bit indices, as the writers and normals number them.
constexpr Int64 kMaxSubdividedPolygons = Int64{1} << 29;

// Memory a subdivided polygon costs until the mesh is written: refining with
// UVs keeps every level's topology while the values are interpolated (about
// 500 bytes per result quad), and the result (points, polygons, UVs), its
// corner normals and the writers' tables take as much again.
constexpr Int64 kBytesPerSubdividedPolygon = 1000;

// The most polygons a subdivision may make when availableBytes of memory are
// free: what fits at kBytesPerSubdividedPolygon each, at most kMaxSubdividedPolygons.
Int64 SubdivisionPolygonLimit(std::uint64_t availableBytes);

// Memory the system can give this process now without swapping (the kernel's
// MemAvailable), or the physical memory when that is unknown.
std::uint64_t AvailableMemoryBytes();

// Number of polygons `levels` levels of subdivision make of `mesh`: the first
// level turns each n-gon into n quads, every further one each quad into four.
// Saturates at kMaxSubdividedPolygons + 1.
Int64 SubdividedPolygonCount(const MeshData& mesh, Int32 levels);

// Subdivides `in` into `out` (which may be the same object). levels < 0 is
// treated as 0, which copies the mesh, as is a mesh without polygons. Points no
// polygon uses are carried along unchanged; non-manifold edges are allowed.
// Throws, with a readable message and `out` untouched, std::invalid_argument
// for an index out of range, a polygon that repeats a point (other than a
// triangle's c == d), UVs or selections that do not match the polygons or an
// unknown mode; std::length_error for a result above
// SubdivisionPolygonLimit(AvailableMemoryBytes()) (checked before allocating
// anything for it); std::runtime_error when OpenSubdiv refuses the topology.
void Subdivide(const MeshData& in, const SubdivideOptions& options, MeshData& out);

} // namespace qhost
