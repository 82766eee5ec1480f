#include "host/geometry/subdivide.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyRefinerFactory.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/parallel_invoke.h>

#include "host/core/build_break.h"
#include "host/geometry/mesh_validation.h"
#include "host/geometry/polygon_geometry.h"
#include "host/geometry/subdivision_topology.h"

namespace qhost {

namespace {

namespace Far = OpenSubdiv::Far;
namespace Sdc = OpenSubdiv::Sdc;
using Refiner = Far::TopologyRefiner;
using RefinerFactory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;

// Views a Vector array as primvar buffers for Far::PrimvarRefiner, which reads
// sources and writes destinations through element proxies.
struct VectorSlot
{
  Vector* value;
  void Clear() { *value = Vector(); }
  template <typename Source>
  void AddWithWeight(const Source& source, double weight) { *value += *source.value * weight; }
};
struct ConstVectorSlot
{
  const Vector* value;
};
struct VectorBuffer
{
  Vector* data;
  VectorSlot operator[](int index) const { return {data + index}; }
};
struct ConstVectorBuffer
{
  const Vector* data;
  ConstVectorSlot operator[](int index) const { return {data + index}; }
};

bool SchemeOptionsForMode(Int32 mode, Sdc::Options& options)
{
  switch (mode)
  {
    case kSubdivideModeSmoothBoundaries:
      options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
      options.SetFVarLinearInterpolation(Sdc::Options::FVAR_LINEAR_NONE);
      return true;
    case kSubdivideModeKeepBoundaries:
      options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
      options.SetFVarLinearInterpolation(Sdc::Options::FVAR_LINEAR_BOUNDARIES);
      return true;
    case kSubdivideModeLinearUVs:
      options.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
      options.SetFVarLinearInterpolation(Sdc::Options::FVAR_LINEAR_ALL);
      return true;
    default:
      return false;
  }
}

// Index of the original polygon each face of the last level descends from.
std::vector<Int32> OriginalPolygons(const Refiner& refiner)
{
  std::vector<Int32> origin(static_cast<std::size_t>(refiner.GetLevel(0).GetNumFaces()));
  for (std::size_t face = 0; face < origin.size(); ++face)
    origin[face] = static_cast<Int32>(face);
  std::vector<Int32> childOrigin;
  for (int level = 1; level <= refiner.GetMaxLevel(); ++level)
  {
    const Far::TopologyLevel& topology = refiner.GetLevel(level);
    childOrigin.resize(static_cast<std::size_t>(topology.GetNumFaces()));
    for (int face = 0; face < topology.GetNumFaces(); ++face)
      childOrigin[face] = origin[topology.GetFaceParentFace(face)];
    origin.swap(childOrigin);
  }
  return origin;
}

// Interpolates level 0 values through every level of the refiner; `faceVarying`
// selects the UV channel instead of the vertices. Returns the last level.
std::vector<Vector> RefineValues(const Refiner& refiner, const std::vector<Vector>& base, bool faceVarying)
{
  const Far::PrimvarRefinerReal<double> primvars(refiner);
  std::vector<Vector> parent;
  std::vector<Vector> child;
  for (int level = 1; level <= refiner.GetMaxLevel(); ++level)
  {
    const Far::TopologyLevel& topology = refiner.GetLevel(level);
    child.resize(static_cast<std::size_t>(faceVarying ? topology.GetNumFVarValues(0) : topology.GetNumVertices()));
    const ConstVectorBuffer source{level == 1 ? base.data() : parent.data()};
    VectorBuffer target{child.data()};
    if (faceVarying)
      primvars.InterpolateFaceVarying(level, source, target, 0);
    else
      primvars.Interpolate(level, source, target);
    parent.swap(child);
  }
  return parent;
}

MeshData AssembleResult(const MeshData& in, const Refiner& refiner, const std::vector<Vector>& uvValues)
{
  // The points and the UVs refine independently through the same (read-only)
  // topology, so they run side by side; every value is computed as before.
  MeshData result;
  std::vector<Vector> refinedUVs;
  tbb::parallel_invoke([&] { result.points = RefineValues(refiner, in.points, false); },
                       [&] {
                         if (in.HasUVs())
                           refinedUVs = RefineValues(refiner, uvValues, true);
                       });
  ThrowIfBreakRequested();

  const Far::TopologyLevel& last = refiner.GetLevel(refiner.GetMaxLevel());
  const auto faceCount = static_cast<std::size_t>(last.GetNumFaces());
  result.polygons.resize(faceCount);
  if (in.HasUVs())
    result.uvs.resize(faceCount);
  tbb::parallel_for(tbb::blocked_range<std::size_t>(0, faceCount), [&](const tbb::blocked_range<std::size_t>& r) {
    for (std::size_t face = r.begin(); face < r.end(); ++face)
    {
      const Far::ConstIndexArray vertices = last.GetFaceVertices(static_cast<int>(face));
      result.polygons[face] = CPolygon(vertices[0], vertices[1], vertices[2], vertices[3]);
      if (in.HasUVs())
      {
        const Far::ConstIndexArray values = last.GetFaceFVarValues(static_cast<int>(face), 0);
        result.uvs[face] = {refinedUVs[values[0]], refinedUVs[values[1]], refinedUVs[values[2]], refinedUVs[values[3]]};
      }
    }
  });
  if (!in.selections.empty())
  {
    const std::vector<Int32> origin = OriginalPolygons(refiner);
    std::vector<char> member(in.polygons.size());
    for (const NamedSelection& selection : in.selections)
    {
      std::fill(member.begin(), member.end(), 0);
      for (const Int32 polygon : selection.polygons)
        member[polygon] = 1;
      NamedSelection& childSelection = result.selections.emplace_back(NamedSelection{selection.name, {}});
      for (std::size_t face = 0; face < faceCount; ++face)
      {
        if (member[origin[face]])
          childSelection.polygons.push_back(static_cast<Int32>(face));
      }
    }
  }
  return result;
}

} // namespace

Int64 SubdivisionPolygonLimit(std::uint64_t availableBytes)
{
  return static_cast<Int64>(
    std::min<std::uint64_t>(availableBytes / kBytesPerSubdividedPolygon, static_cast<std::uint64_t>(kMaxSubdividedPolygons)));
}

std::uint64_t AvailableMemoryBytes()
{
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kibibytes = 0;
  std::string unit;
  while (meminfo >> key >> kibibytes >> unit)
    if (key == "MemAvailable:")
      return kibibytes * 1024;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) : 0;
}

Int64 SubdividedPolygonCount(const MeshData& mesh, Int32 levels)
{
  if (levels <= 0)
    return static_cast<Int64>(mesh.polygons.size());
  Int64 count = 0;
  for (const CPolygon& polygon : mesh.polygons)
    count += CornerCount(polygon);
  for (Int32 level = 1; level < levels && count <= kMaxSubdividedPolygons; ++level)
    count *= 4;
  return std::min(count, kMaxSubdividedPolygons + 1);
}

void Subdivide(const MeshData& in, const SubdivideOptions& options, MeshData& out)
{
  ValidateMesh(in);
  Sdc::Options schemeOptions;
  if (!SchemeOptionsForMode(options.mode, schemeOptions))
    throw std::invalid_argument("unknown subdivision mode " + std::to_string(options.mode));
  if (options.levels <= 0 || in.polygons.empty())
  {
    if (&out != &in)
      out = in;
    return;
  }
  const Int64 limit = SubdivisionPolygonLimit(AvailableMemoryBytes());
  if (const Int64 count = SubdividedPolygonCount(in, options.levels); count > limit)
    throw std::length_error(std::to_string(options.levels) + " subdivision levels of " +
                            std::to_string(in.polygons.size()) + " polygons would make " +
                            (count > kMaxSubdividedPolygons ? "more than " : "") +
                            std::to_string(std::min(count, kMaxSubdividedPolygons)) + ", above the limit of " +
                            std::to_string(limit) + " polygons (" + std::to_string(kBytesPerSubdividedPolygon) +
                            " bytes each in the memory available now)");

  // A linear split has no smoothing for creases to stop.
  const SubdivisionTopology topology(in, options.smooth ? options.angle : kPi);
  const RefinerFactory::Options factoryOptions(options.smooth ? Sdc::SCHEME_CATMARK : Sdc::SCHEME_BILINEAR,
                                               schemeOptions);
  const std::unique_ptr<Refiner> refiner(RefinerFactory::Create(topology.GetDescriptor(), factoryOptions));
  if (!refiner)
    throw std::runtime_error("the subdivision surface could not be built from this mesh's topology");
  refiner->RefineUniform(Refiner::UniformOptions(options.levels));
  // Each step of a large subdivision takes seconds; a build broken off stops
  // between them.
  ThrowIfBreakRequested();
  out = AssembleResult(in, *refiner, topology.GetUVValues());
}

} // namespace qhost
