// Levels of detail: a dense triangle mesh simplified to fractions of its
// triangle count with meshoptimizer, every level's vertices reordered for the
// GPU's vertex cache and fetch.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "host/geometry/triangle_mesh.h"

namespace qhost {

// The default levels after the full mesh: 25 %, 6 % and 1.5 % of its triangles.
inline constexpr double kDefaultLodFractions[] = {0.25, 0.06, 0.015};

// Reorders triangles for the post-transform vertex cache and vertices for
// fetch (first use first), dropping vertices no triangle uses. Keeps every
// attribute with its vertex.
void OptimizeVertexOrder(TriangleMesh& mesh);

// mesh simplified towards fraction (0, 1] of its triangles. Vertices that
// share a position but differ in UV or normal (a seam) only move together
// along the seam, so every UV island keeps a valid border; open borders of
// the surface do not move at all. Points keep their position and UV, so the
// result shares the input's UV layout. Normals are recomputed from the
// simplified surface (area-weighted over all vertices at one position, so a
// UV seam shows no crease); tangents are dropped. The vertex order is
// optimised.
TriangleMesh SimplifyMesh(const TriangleMesh& mesh, double fraction);

// Level 0 is mesh itself (with its vertex order optimised), level k the
// previous level simplified towards fractions[k - 1] of mesh's triangle
// count. progress, when set, is told each level as it is done.
std::vector<TriangleMesh> BuildLodChain(TriangleMesh mesh, std::span<const double> fractions,
                                        const std::function<void(std::size_t level)>& progress = {});

} // namespace qhost
