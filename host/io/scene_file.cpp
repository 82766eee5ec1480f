#include "host/io/scene_file.h"

#include "host/core/node_core.h"
#include "host/io/atomic_file.h"
#include "host/io/scene_json.h"

namespace qhost {

void DocumentDeleter::operator()(BaseDocument* doc) const { DestroyNode(Core(doc)); }

DocumentPtr LoadSceneFile(const std::string& path, std::string& error)
{
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, scene::kMaxFileBytes, bytes, error))
    return nullptr;
  DocumentPtr doc = ReadScene(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
  if (!doc)
    error = path + ": " + error;
  return doc;
}

bool SaveSceneFile(const std::string& path, const BaseDocument& doc, std::string& error)
{
  std::string text;
  try
  {
    text = WriteScene(doc);
  }
  catch (const std::exception& e)
  {
    error = path + ": could not encode the scene: " + e.what();
    return false;
  }
  return WriteFileAtomically(path, text, error);
}

} // namespace qhost
