#include "host/geometry/subdivision_topology.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <type_traits>

#include <opensubdiv/sdc/crease.h>

#include "host/geometry/edge_uses.h"
#include "host/geometry/polygon_geometry.h"

namespace qhost {

namespace Far = OpenSubdiv::Far;

// A quad's four indices are laid out exactly like four consecutive face-vertex
// indices, which lets all-quad meshes hand their polygon array to the refiner.
static_assert(sizeof(CPolygon) == 4 * sizeof(Far::Index) && std::is_standard_layout_v<CPolygon>);

SubdivisionTopology::SubdivisionTopology(const MeshData& mesh, Float creaseAngle)
{
  GatherFaceVertices(mesh);
  GatherSharpEdges(mesh, creaseAngle);
  descriptor_.numVertices = static_cast<int>(mesh.points.size());
  descriptor_.numFaces = static_cast<int>(mesh.polygons.size());
  descriptor_.numVertsPerFace = vertexCounts_.data();
  descriptor_.vertIndicesPerFace = flattenedVertices_.empty() ? reinterpret_cast<const Far::Index*>(mesh.polygons.data())
                                                              : flattenedVertices_.data();
  descriptor_.numCreases = static_cast<int>(sharpness_.size());
  descriptor_.creaseVertexIndexPairs = sharpEdges_.data();
  descriptor_.creaseWeights = sharpness_.data();
  if (mesh.HasUVs())
  {
    WeldUVs(mesh);
    uvChannel_.numValues = static_cast<int>(uvValues_.size());
    uvChannel_.valueIndices = uvValueIndices_.data();
    descriptor_.numFVarChannels = 1;
    descriptor_.fvarChannels = &uvChannel_;
  }
}

void SubdivisionTopology::GatherFaceVertices(const MeshData& mesh)
{
  vertexCounts_.reserve(mesh.polygons.size());
  for (const CPolygon& polygon : mesh.polygons)
    vertexCounts_.push_back(CornerCount(polygon));
  if (std::none_of(mesh.polygons.begin(), mesh.polygons.end(), [](const CPolygon& p) { return p.IsTriangle(); }))
    return;
  flattenedVertices_.reserve(mesh.polygons.size() * 4);
  for (const CPolygon& polygon : mesh.polygons)
  {
    for (Int32 corner = 0; corner < CornerCount(polygon); ++corner)
      flattenedVertices_.push_back(CornerPoint(polygon, corner));
  }
}

void SubdivisionTopology::GatherSharpEdges(const MeshData& mesh, Float creaseAngle)
{
  // The angle between two face normals never exceeds pi: nothing to crease.
  if (creaseAngle >= kPi)
    return;
  const Float maxCosine = std::cos(std::max(creaseAngle, 0.0));
  const std::vector<EdgeUse> uses = CollectEdgeUses(mesh.polygons);
  for (std::size_t first = 0; first < uses.size();)
  {
    const std::size_t count = EdgeRunLength(uses, first);
    if (count == 2)
    {
      const Vector normalOne = PolygonNormal(mesh.points, mesh.polygons[uses[first].polygon]).GetNormalized();
      const Vector normalTwo = PolygonNormal(mesh.points, mesh.polygons[uses[first + 1].polygon]).GetNormalized();
      if (Dot(normalOne, normalTwo) < maxCosine)
      {
        sharpEdges_.push_back(uses[first].low);
        sharpEdges_.push_back(uses[first].high);
      }
    }
    first += count;
  }
  sharpness_.assign(sharpEdges_.size() / 2, OpenSubdiv::Sdc::Crease::SHARPNESS_INFINITE);
}

void SubdivisionTopology::WeldUVs(const MeshData& mesh)
{
  // Corners on the same point with identical UVs share one value, so UVs
  // interpolate smoothly across them, while seams (different UVs on one
  // point) stay apart.
  struct Corner
  {
    Int32 point;
    Vector uv;
    Int32 slot;
  };
  std::vector<Corner> corners;
  corners.reserve(mesh.polygons.size() * 4);
  for (std::size_t index = 0; index < mesh.polygons.size(); ++index)
  {
    const CPolygon& polygon = mesh.polygons[index];
    for (Int32 corner = 0; corner < CornerCount(polygon); ++corner)
      corners.push_back({CornerPoint(polygon, corner), CornerUV(mesh.uvs[index], corner),
                         static_cast<Int32>(corners.size())});
  }
  auto key = [](const Corner& c) { return std::tie(c.point, c.uv.x, c.uv.y, c.uv.z); };
  std::sort(corners.begin(), corners.end(), [&](const Corner& l, const Corner& r) { return key(l) < key(r); });

  uvValueIndices_.resize(corners.size());
  for (std::size_t index = 0; index < corners.size(); ++index)
  {
    if (index == 0 || key(corners[index - 1]) != key(corners[index]))
      uvValues_.push_back(corners[index].uv);
    uvValueIndices_[corners[index].slot] = static_cast<Far::Index>(uvValues_.size() - 1);
  }
}

} // namespace qhost
