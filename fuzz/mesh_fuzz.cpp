// Feeds arbitrary bytes to one mesh reader (the file name's extension,
// QV_FUZZ_MESH_NAME, picks the format). Whatever is read must be a mesh every
// writer accepts: indices in range, coordinates finite and bounded, UVs one
// per polygon; whatever is refused must say why. Crashes, leaks, overflows
// and undefined behaviour are caught by the sanitizers this target is built with.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/io/mesh_file.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail)
{
  std::fprintf(stderr, "mesh_fuzz: %s: %s\n", what, detail.c_str());
  std::abort();
}

bool Bounded(const Vector& v)
{
  return std::abs(v.x) <= qhost::kMaxMeshCoordinate && std::abs(v.y) <= qhost::kMaxMeshCoordinate &&
         std::abs(v.z) <= qhost::kMaxMeshCoordinate;
}

void CheckMesh(const qhost::MeshData& mesh)
{
  if (mesh.polygons.empty())
    Fail("read a mesh without polygons", "");
  if (!mesh.uvs.empty() && !mesh.HasUVs())
    Fail("UVs are not one per polygon", std::to_string(mesh.uvs.size()));
  for (const Vector& p : mesh.points)
    if (!Bounded(p))
      Fail("a point escaped the coordinate check", "");
  const auto count = static_cast<std::int64_t>(mesh.points.size());
  for (const CPolygon& p : mesh.polygons)
    for (const std::int32_t index : {p.a, p.b, p.c, p.d})
      if (index < 0 || index >= count)
        Fail("a polygon index escaped the range check", std::to_string(index));
  for (const UVWStruct& uv : mesh.uvs)
    for (const Vector& corner : {uv.a, uv.b, uv.c, uv.d})
      if (!Bounded(corner))
        Fail("a UV escaped the coordinate check", "");
  for (const qhost::NamedSelection& selection : mesh.selections)
    for (const std::int32_t polygon : selection.polygons)
      if (polygon < 0 || static_cast<std::size_t>(polygon) >= mesh.polygons.size())
        Fail("a selection names a missing polygon", selection.name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  try
  {
    // No base directory: external glTF buffers are refused, so the fuzzer never reads files.
    CheckMesh(qhost::ParseMesh({data, size}, QV_FUZZ_MESH_NAME));
  }
  catch (const qhost::InputError& e)
  {
    if (std::string(e.what()).empty())
      Fail("refused without a message", "");
  }
  return 0;
}
