#include "host/app/batch_record.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/app/variant_sampling.h"
#include "host/inspect/mesh_report.h"
#include "host/io/mesh_file.h"

namespace qhost::app {
namespace {

std::string FileBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

nlohmann::json InspectFigures(const MeshData& mesh)
{
  const MeshReport report = InspectMesh(mesh);
  const Vector size = (report.boxMax - report.boxMin) / kMetre.hostUnits;
  return {{"points", report.points},
          {"faces", report.faces},
          {"distinct_positions", report.weldedPoints},
          {"closed", report.Closed()},
          {"boundary_edges", report.boundaryEdges},
          {"non_manifold_edges", report.nonManifoldEdges},
          {"inconsistent_edges", report.inconsistentEdges},
          {"folded_edges", report.foldedEdges},
          {"turned_faces", report.turnedFaces},
          {"degenerate_faces", report.degenerateFaces},
          {"self_intersections", report.selfIntersections},
          {"size_m", {size.x, size.y, size.z}}};
}

} // namespace

std::string HashText(const std::string& bytes)
{
  char text[24];
  std::snprintf(text, sizeof(text), "%016llx",
                static_cast<unsigned long long>(Fnv1a64(bytes.data(), bytes.size())));
  return text;
}

std::string RecordPathFor(const std::string& meshPath) { return meshPath + ".json"; }

std::string JsonText(const nlohmann::json& document) { return document.dump(2) + "\n"; }

nlohmann::json FinishedRecord(const nlohmann::json& planned, const std::string& meshPath, const MeshFileFrame& frame,
                              const std::string& heightMapPath)
{
  const std::string bytes = FileBytes(meshPath);
  nlohmann::json record = planned;
  record["bytes"] = bytes.size();
  record["fnv1a64"] = HashText(bytes);
  record["inspect"] = InspectFigures(ReadMesh(meshPath, frame));
  if (!heightMapPath.empty())
  {
    const std::string heightBytes = FileBytes(heightMapPath);
    record["height_map"] = {{"file", std::filesystem::path(heightMapPath).filename().string()},
                            {"bytes", heightBytes.size()},
                            {"fnv1a64", HashText(heightBytes)}};
  }
  return record;
}

nlohmann::json VerifiedRecord(const nlohmann::json& planned, const std::string& meshPath)
{
  std::ifstream in(RecordPathFor(meshPath));
  if (!in)
    return nullptr;
  const nlohmann::json record = nlohmann::json::parse(in, nullptr, false);
  if (!record.is_object() || !record.contains("bytes") || !record.contains("fnv1a64"))
    return nullptr;
  for (const auto& [key, value] : planned.items())
    if (!record.contains(key) || record[key] != value)
      return nullptr;
  const std::string bytes = FileBytes(meshPath);
  if (record["bytes"] != bytes.size() || record["fnv1a64"] != HashText(bytes))
    return nullptr;
  if (record.contains("height_map"))
  {
    const nlohmann::json& height = record["height_map"];
    if (!height.is_object() || !height.contains("file") || !height["file"].is_string())
      return nullptr;
    const std::string name = height["file"].get<std::string>();
    // Only a plain file name beside the mesh counts; a record cannot send the
    // check elsewhere.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
      return nullptr;
    const std::string heightBytes = FileBytes((std::filesystem::path(meshPath).parent_path() / name).string());
    if (height["bytes"] != heightBytes.size() || height["fnv1a64"] != HashText(heightBytes))
      return nullptr;
  }
  return record;
}

} // namespace qhost::app
