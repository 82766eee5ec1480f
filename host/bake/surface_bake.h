// Maps baked from a detailed mesh onto the UV layout of a (lighter) mesh by
// ray casting: the detail a light level of detail lacks, carried in a
// tangent-space normal map, and the ambient occlusion of the surface.
// Every texel, covered or not, shows the surface: texels outside the UV
// islands take the point of the nearest covered texel (dilation), so mipmaps
// do not bleed the background into the islands' edges.
#pragma once

#include <vector>

#include "host/bake/ray_scene.h"
#include "host/core/image.h"
#include "host/geometry/triangle_mesh.h"
#include "host/shading/uv_baker.h"

namespace qhost {

struct SurfaceBakeOptions
{
  Int32 size = 1024;   // width and height of the map
  Int32 threads = 0;   // 0 or less: one per core
  ProgressFn progress; // normal maps only; may be empty; returning false cancels
};

// Rays fired from the target surface along its normal, both ways, find the
// detailed surface within 5 % of the detailed mesh's bounding-box diagonal;
// the nearest hit's interpolated normal is written in the target's tangent
// frame at the texel (T, B = cross(N, T) * w, N; interpolated and made
// orthonormal as a viewer does) as RGB = 0.5 + 0.5 * (x, y, z), 8 bits. A
// texel whose rays find nothing shows the target's own normal (flat blue).
// target needs UVs, normals and tangents; detailedRays must be built from
// detailed. Throws std::runtime_error when cancelled.
Image BakeNormalMap(const TriangleMesh& detailed, const RayScene& detailedRays, const TriangleMesh& target,
                    const SurfaceBakeOptions& options);

// Ambient occlusion of mesh over its own UV layout, per texel (row 0 at the
// top): the fraction of cosine-weighted hemisphere rays around the normal
// that leave without meeting the surface within a fifth of the bounding-box
// diagonal, found at every vertex and interpolated across the triangles
// (occlusion changes slowly across a surface, so a dense mesh's vertices
// carry it at a fraction of the rays a texel each would need). Rays start
// just off the surface along the vertex normal and stay on its side, so a
// convex surface with normals inside each vertex's normal cone is unoccluded
// everywhere (1). The rays of a vertex depend only on its position, so the
// split vertices of a UV seam agree and the result does not depend on thread
// count. mesh needs UVs and normals; rays must be built from mesh.
std::vector<float> BakeOcclusion(const TriangleMesh& mesh, const RayScene& rays, const SurfaceBakeOptions& options);

} // namespace qhost
