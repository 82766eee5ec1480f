// What a batch keeps about each variant: a record beside its mesh file
// (NAME.json for NAME) with the exact parameters, the file's size and hash
// and its inspect figures, and the manifest that gathers the records of a
// finished batch. A record is written only after its mesh, so a record whose
// file still has the recorded size and hash marks a finished variant.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "host/geometry/mesh_data.h"
#include "host/io/mesh_frame.h"

namespace qhost::app {

// The record's path for a variant's mesh file.
std::string RecordPathFor(const std::string& meshPath);

// Adds what was made to the planned part of a record (index, seed, file,
// parameters, request): the mesh file's size and FNV-1a hash, and the
// figures `quorvane inspect` reports, read back from the file in frame; and,
// when the variant has a height map beside its mesh, that file's name, size
// and hash ("height_map").
nlohmann::json FinishedRecord(const nlohmann::json& planned, const std::string& meshPath, const MeshFileFrame& frame,
                              const std::string& heightMapPath = "");

// Whether the record beside meshPath exists, holds the planned part exactly,
// and the file (and the height map it names, beside it) still has the size
// and hash it records. Returns the record, or null when the variant must be
// made (again).
nlohmann::json VerifiedRecord(const nlohmann::json& planned, const std::string& meshPath);

// The 64-bit FNV-1a hash of bytes as 16 lower-case hex digits, as records
// keep it.
std::string HashText(const std::string& bytes);

// The file content of a JSON document as every batch writes it: two-space
// indent, a final newline.
std::string JsonText(const nlohmann::json& document);

} // namespace qhost::app
