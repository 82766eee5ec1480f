#include "host/io/scene_file.h"

#include "host/core/node_core.h"
#include "host/core/input_error.h"
#include "host/io/atomic_file.h"
#include "host/core/read_file.h"
#include "host/io/scene_json.h"

namespace qhost {

void DocumentDeleter::operator()(BaseDocument* doc) const { DestroyNode(Core(doc)); }

DocumentPtr LoadSceneFile(const std::string& path)
{
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, scene::kMaxFileBytes);
  try
  {
    return ReadScene(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  catch (const InputError& e)
  {
    throw InputError(path + ": " + e.what());
  }
}

void SaveSceneFile(const std::string& path, const BaseDocument& doc)
{
  std::string text;
  try
  {
    text = WriteScene(doc);
  }
  catch (const std::exception& e)
  {
    // The encoder's message names the value; the file it was for is added here.
    throw OutputError(path, std::string("could not encode the scene: ") + e.what());
  }
  WriteFileAtomically(path, text);
}

} // namespace qhost
