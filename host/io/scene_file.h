// Scene files: a document as JSON, with its objects (hierarchy, types, names,
// matrices, geometry, tags), materials and their shaders, render settings,
// tracks and every parameter by numeric ID. Loading a saved scene gives an
// equal document (see scene_compare.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "host/core/input_error.h"
#include "hostapi/api.h"

namespace qhost {

struct DocumentDeleter
{
  void operator()(BaseDocument* doc) const;
};
using DocumentPtr = std::unique_ptr<BaseDocument, DocumentDeleter>;

// A new document from scene JSON. Throws InputError naming the JSON path and
// the problem; refuses files nested too deeply, with too many elements,
// unknown node types, values of the wrong kind or duplicate unique IDs. Links
// to IDs the file does not hold stay as they are and resolve to nothing.
DocumentPtr ReadScene(std::string_view text);
// Same for a file; messages start with the file's path.
DocumentPtr LoadSceneFile(const std::string& path);

// The document as scene JSON.
std::string WriteScene(const BaseDocument& doc);
// Writes the scene completely or not at all; throws OutputError naming path.
void SaveSceneFile(const std::string& path, const BaseDocument& doc);

} // namespace qhost
