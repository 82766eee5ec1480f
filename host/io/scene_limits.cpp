#include "host/io/scene_limits.h"

#include <charconv>

namespace qhost::scene {
namespace {

// The JSON path of the container entry with this ID.
std::string EntryPath(const Json& dataJson, const std::string& path, Int32 id)
{
  const Json& entries = dataJson.at("entries");
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].at("id") == id)
      return Index(Key(path, "entries"), i);
  return Key(path, "entries");
}

// The shortest text that reads back as the value: 2147483647, not 2.14748e+09.
std::string Number(Float value)
{
  char text[32];
  const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
  return std::string(text, end);
}

} // namespace

void CheckDescriptionLimits(const DescriptionResource& description, const BaseContainer& data, const Json& dataJson,
                            const std::string& path)
{
  for (const DescElement& element : description.elements)
  {
    if (element.id.GetDepth() != 1 || (element.Type() != DTYPE_LONG && element.Type() != DTYPE_REAL))
      continue;
    const Int32 id = element.id[0].id;
    const GeData* value = data.GetDataPointer(id);
    if (!value || (value->GetType() != DA_LONG && value->GetType() != DA_REAL))
      continue;
    const Float v = value->GetType() == DA_LONG ? Float(value->GetInt32()) : value->GetFloat();
    const GeData* min = element.settings.GetDataPointer(DESC_MIN);
    const GeData* max = element.settings.GetDataPointer(DESC_MAX);
    const Float low = min ? (min->GetType() == DA_LONG ? Float(min->GetInt32()) : min->GetFloat()) : -HUGE_VAL;
    const Float high = max ? (max->GetType() == DA_LONG ? Float(max->GetInt32()) : max->GetFloat()) : HUGE_VAL;
    // A NaN is refused here too: it compares false with both limits.
    if (!(v >= low && v <= high))
      throw SceneError(EntryPath(dataJson, path, id),
                       element.settings.GetString(DESC_NAME) + " (" + std::to_string(id) + ") is " + Number(v) +
                         "; allowed " + (min ? Number(low) : std::string("any")) + " to " +
                         (max ? Number(high) : std::string("any")));
  }
}

} // namespace qhost::scene
