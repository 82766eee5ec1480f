#include "host/app/gradient_argument.h"

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <string_view>

#include "host/app/app_context.h"
#include "host/shading/color_space.h"

namespace qhost::app {
namespace {

struct InterpolationName
{
  std::string_view name;
  GRADIENT_INTERPOLATION_TYPE type;
};

constexpr std::array<InterpolationName, 7> kInterpolations = {{
    {"step", GRADIENT_INTERPOLATION_TYPE::NONE},
    {"linear", GRADIENT_INTERPOLATION_TYPE::LINEAR},
    {"smooth", GRADIENT_INTERPOLATION_TYPE::SMOOTHKNOT},
    {"ease-in", GRADIENT_INTERPOLATION_TYPE::EXP_UP},
    {"ease-out", GRADIENT_INTERPOLATION_TYPE::EXP_DOWN},
    {"cubic", GRADIENT_INTERPOLATION_TYPE::CUBICKNOT},
    {"blend", GRADIENT_INTERPOLATION_TYPE::BLEND},
}};

[[noreturn]] void Fail(const std::string& parameter, std::string_view element, const std::string& problem)
{
  throw UsageError(parameter + ": \"" + std::string(element) + "\": " + problem +
                   " (a gradient is POSITION:#RRGGBB,... with an optional last "
                   "step|linear|smooth|ease-in|ease-out|cubic|blend)");
}

const InterpolationName* FindInterpolation(std::string_view word)
{
  for (const InterpolationName& entry : kInterpolations)
    if (entry.name == word)
      return &entry;
  return nullptr;
}

// A number, or a percentage (60%).
bool ParseNumber(std::string_view text, Float& out)
{
  const bool percent = !text.empty() && text.back() == '%';
  if (percent)
    text.remove_suffix(1);
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(out))
    return false;
  if (percent)
    out /= 100.0;
  return true;
}

// "#rrggbb" or "#rgb" to linear light, or a number as a linear grey.
bool ParseColor(std::string_view text, Vector& out)
{
  Float grey = 0.0;
  if (ParseNumber(text, grey))
  {
    out = Vector(grey);
    return true;
  }
  if (text.size() < 2 || text.front() != '#')
    return false;
  text.remove_prefix(1);
  const size_t digits = text.size() == 6 ? 2 : text.size() == 3 ? 1 : 0;
  if (digits == 0)
    return false;
  Float rgb[3] = {};
  for (size_t c = 0; c < 3; ++c)
  {
    const std::string_view part = text.substr(c * digits, digits);
    unsigned value = 0;
    const char* end = part.data() + part.size();
    const auto result = std::from_chars(part.data(), end, value, 16);
    if (result.ec != std::errc() || result.ptr != end)
      return false;
    // One digit stands for itself twice: #f80 is #ff8800.
    rgb[c] = SrgbToLinear(digits == 1 ? value * 17 / 255.0 : value / 255.0);
  }
  out = Vector(rgb[0], rgb[1], rgb[2]);
  return true;
}

std::vector<std::string_view> SplitAtCommas(std::string_view text)
{
  std::vector<std::string_view> parts;
  for (size_t start = 0;;)
  {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos)
      return parts;
    start = comma + 1;
  }
}

struct GradientDeleter
{
  void operator()(Gradient* gradient) const { Gradient::Free(gradient); }
};

} // namespace

std::vector<GradientKnot> ParseGradientKnots(const std::string& parameter, const std::string& text)
{
  std::vector<std::string_view> elements = SplitAtCommas(text);
  GRADIENT_INTERPOLATION_TYPE interpolation = GRADIENT_INTERPOLATION_TYPE::SMOOTHKNOT;
  if (const InterpolationName* named = FindInterpolation(elements.back()))
  {
    interpolation = named->type;
    elements.pop_back();
  }
  if (elements.empty())
    Fail(parameter, text, "no knots");

  std::vector<GradientKnot> knots;
  for (const std::string_view element : elements)
  {
    const size_t colon = element.find(':');
    if (colon == std::string_view::npos)
      Fail(parameter, element, "expected POSITION:COLOR or an interpolation as the last element");
    GradientKnot knot;
    if (!ParseNumber(element.substr(0, colon), knot.pos) || knot.pos < 0.0 || knot.pos > 1.0)
      Fail(parameter, element, "the position must be a number from 0 to 1 (or 0% to 100%)");
    if (!ParseColor(element.substr(colon + 1), knot.col))
      Fail(parameter, element, "the colour must be #rrggbb, #rgb or a grey level such as 0.5");
    knot.interpolation = interpolation;
    knot.index = static_cast<Int32>(knots.size());
    knots.push_back(knot);
  }
  return knots;
}

GeData ParseGradientValue(const std::string& parameter, const std::string& text)
{
  const std::vector<GradientKnot> knots = ParseGradientKnots(parameter, text);
  std::unique_ptr<Gradient, GradientDeleter> gradient(Gradient::Alloc());
  if (!gradient)
    throw std::runtime_error(parameter + ": the host could not create a gradient");
  for (const GradientKnot& knot : knots)
    gradient->InsertKnot(knot);
  return GeData(CUSTOMDATATYPE_GRADIENT, *gradient);
}

} // namespace qhost::app
