#include "host/app/generator_layers.h"

#include <cctype>
#include <charconv>

#include "host/app/app_context.h"
#include "host/description/description_impl.h"

namespace qhost::app {
namespace {

constexpr const char* kLayerNamePrefix = "layer";
constexpr const char* kLayerIdentPrefix = "OXROCK_LAYER_";

Int32 IdentifiedId(const std::vector<DescElement>& description, const char* ident)
{
  for (const DescElement& e : description)
    if (e.settings.GetString(kDescIdent) == ident)
      return e.id[0].id;
  throw UsageError(std::string("the generator's description has no ") + ident);
}

std::string IdentFromLabel(const std::string& label)
{
  std::string ident = kLayerIdentPrefix;
  for (const char c : label)
    ident += c == ' ' ? '_' : char(std::toupper(static_cast<unsigned char>(c)));
  return ident;
}

} // namespace

GeneratorControls FindGeneratorControls(const std::vector<DescElement>& description)
{
  return {IdentifiedId(description, "OXROCK_LAYER_COUNT"), IdentifiedId(description, "OXROCK_ADD_LAYER"),
          IdentifiedId(description, "OXROCK_REMOVE_LAYER"), IdentifiedId(description, "OXROCK_FIELDS")};
}

std::vector<DescElement> LayerElements(const std::vector<DescElement>& description, Int32 layer)
{
  const Int32 layersGroup = IdentifiedId(description, "OXROCK_LAYERS_GROUP");
  const DescElement* group = nullptr;
  Int32 seen = 0;
  for (const DescElement& e : description)
    if (e.Type() == DTYPE_GROUP && e.parent.GetDepth() > 0 && e.parent[0].id == layersGroup && ++seen == layer)
    {
      group = &e;
      break;
    }
  std::vector<DescElement> elements;
  if (!group)
    return elements;
  for (const DescElement& e : description)
    if (e.parent.GetDepth() > 0 && e.parent[0].id == group->id[0].id)
    {
      elements.push_back(e);
      const std::string label = e.settings.GetString(DESC_NAME);
      if (e.settings.GetString(kDescIdent).empty() && !label.empty())
        elements.back().settings.SetString(kDescIdent, IdentFromLabel(label));
    }
  return elements;
}

bool ParseLayerName(const std::string& name, Int32& layer, std::string& rest)
{
  const size_t prefix = std::char_traits<char>::length(kLayerNamePrefix);
  const size_t dot = name.find('.');
  if (name.compare(0, prefix, kLayerNamePrefix) != 0 || dot == std::string::npos)
    return false;
  const auto result = std::from_chars(name.data() + prefix, name.data() + dot, layer);
  if (result.ec != std::errc() || result.ptr != name.data() + dot)
    return false;
  rest = name.substr(dot + 1);
  return true;
}

void NameLayerParameters(NodeCore& node, AttributeView& view)
{
  DescriptionImpl description;
  if (!BuildDescription(node, description))
    return;
  for (Int32 layer = 1;; ++layer)
  {
    const std::vector<DescElement> elements = LayerElements(description.Elements(), layer);
    if (elements.empty())
      return;
    for (AttributeGroup& group : view.groups)
      for (AttributeElement& shown : group.elements)
        for (const DescElement& e : elements)
          if (shown.id == e.id)
            shown.ident = e.settings.GetString(kDescIdent);
  }
}

} // namespace qhost::app
