// Builds the help document QuorvaneMaker.pdf from the project's own sources:
// the help text, the static descriptions of both plug-ins and pictures of the
// noise types, so the document never drifts from what the plug-ins offer.
//
// Usage: make_help_pdf HELP_TEXT.json RES_FOLDER OUT.pdf
#include <cairo-pdf.h>
#include <cairo.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/gallery/noise_tiles.h"

namespace {

using Json = nlohmann::json;

constexpr double kPageWidth = 595.0; // A4 in points
constexpr double kPageHeight = 842.0;
constexpr double kMargin = 56.0;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;

// Writes text top to bottom, starting new pages as needed.
class PageWriter
{
public:
  explicit PageWriter(cairo_t* cr) : cr_(cr) {}

  void Heading(const std::string& text, double size)
  {
    Space(size * 0.8);
    Line(text, size, CAIRO_FONT_WEIGHT_BOLD);
    Space(size * 0.3);
  }

  void Paragraph(const std::string& text, double size = 10.5, double indent = 0.0)
  {
    SetFont(size, CAIRO_FONT_WEIGHT_NORMAL);
    std::string line;
    for (const std::string& word : Words(text))
    {
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (Width(candidate) > kTextWidth - indent && !line.empty())
      {
        Emit(line, size, indent);
        line = word;
      }
      else
        line = candidate;
    }
    if (!line.empty())
      Emit(line, size, indent);
    Space(size * 0.5);
  }

  void Entry(const std::string& label, const std::string& text)
  {
    Line(label, 10.5, CAIRO_FONT_WEIGHT_BOLD);
    Paragraph(text, 10.0, 14.0);
  }

  // Reserves height for a drawing; returns its top.
  double Reserve(double height)
  {
    if (y_ + height > kPageHeight - kMargin)
      NewPage();
    const double top = y_;
    y_ += height;
    return top;
  }

  void NewPage()
  {
    cairo_show_page(cr_);
    y_ = kMargin;
  }

private:
  static std::vector<std::string> Words(const std::string& text)
  {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text)
    {
      if (c == ' ')
      {
        if (!word.empty())
          words.push_back(word);
        word.clear();
      }
      else
        word += c;
    }
    if (!word.empty())
      words.push_back(word);
    return words;
  }

  void SetFont(double size, cairo_font_weight_t weight)
  {
    cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, weight);
    cairo_set_font_size(cr_, size);
  }

  double Width(const std::string& text)
  {
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    return extents.x_advance;
  }

  void Line(const std::string& text, double size, cairo_font_weight_t weight)
  {
    SetFont(size, weight);
    Emit(text, size, 0.0);
  }

  void Emit(const std::string& text, double size, double indent)
  {
    if (y_ + size * 1.4 > kPageHeight - kMargin)
      NewPage();
    y_ += size * 1.4;
    cairo_set_source_rgb(cr_, 0.1, 0.1, 0.1);
    cairo_move_to(cr_, kMargin + indent, y_);
    cairo_show_text(cr_, text.c_str());
  }

  void Space(double height) { y_ += height; }

  cairo_t* cr_;
  double y_ = kMargin;
};

Json ReadJson(const std::filesystem::path& path)
{
  std::ifstream file(path);
  if (!file)
    throw std::runtime_error(path.string() + ": cannot open");
  return Json::parse(file);
}

// Every parameter of a static description with a label, in file order.
void DescribeParameters(PageWriter& page, const Json& description)
{
  for (const Json& e : description.at("elements"))
  {
    const std::string type = e.at("type").get<std::string>();
    if (type == "group")
    {
      page.Heading(e.value("name", ""), 12.0);
      continue;
    }
    std::string text = e.value("description", "");
    if (e.contains("default") && !e["default"].is_object())
      text += (text.empty() ? "" : " ") + std::string("Default: ") + e["default"].dump() + ".";
    if (e.contains("ident"))
      text += " (" + e["ident"].get<std::string>() + ", ID " + std::to_string(e["id"].get<int>()) + ")";
    page.Entry(e.value("name", "") + (type == "button" ? " (button)" : ""), text);
  }
}

void DrawNoiseTypes(PageWriter& page, cairo_t* cr)
{
  constexpr int kTile = 72;
  constexpr int kColumns = 5;
  constexpr double kCellWidth = kTextWidth / kColumns;
  const auto entries = qhost::NoiseTileEntries();
  for (size_t i = 0; i < entries.size(); i += kColumns)
  {
    const double top = page.Reserve(kTile + 26);
    for (size_t j = i; j < std::min(entries.size(), i + kColumns); ++j)
    {
      const double x = kMargin + double(j - i) * kCellWidth;
      qhost::DrawNoiseTile(cr, entries[j], x, top, kTile, 1234);
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
      cairo_set_font_size(cr, 8.0);
      cairo_move_to(cr, x, top + kTile + 11);
      cairo_show_text(cr, qhost::NoiseTileCaption(entries[j]).c_str());
    }
  }
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 4)
  {
    std::cerr << "usage: make_help_pdf HELP_TEXT.json RES_FOLDER OUT.pdf\n";
    return 2;
  }
  try
  {
    const Json help = ReadJson(argv[1]);
    const std::filesystem::path res = argv[2];
    const Json rock = ReadJson(res / "description" / "oxrock.json");
    const Json shader = ReadJson(res / "description" / "XQuorvane.json");
    const std::string tmp = std::string(argv[3]) + ".tmp";

    cairo_surface_t* surface = cairo_pdf_surface_create(tmp.c_str(), kPageWidth, kPageHeight);
    cairo_t* cr = cairo_create(surface);
    PageWriter page(cr);
    page.Heading(help.at("title").get<std::string>(), 24.0);
    page.Paragraph(help.at("subtitle").get<std::string>(), 13.0);
    for (const Json& paragraph : help.at("overview"))
      page.Paragraph(paragraph.get<std::string>());
    page.Heading("Generator parameters", 16.0);
    DescribeParameters(page, rock);
    page.Heading("Noise layer controls", 16.0);
    for (const Json& control : help.at("layer_controls"))
      page.Entry(control.at(0).get<std::string>(), control.at(1).get<std::string>());
    page.NewPage();
    page.Heading("Noise types", 16.0);
    DrawNoiseTypes(page, cr);
    page.NewPage();
    page.Heading("Shader parameters", 16.0);
    DescribeParameters(page, shader);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
      throw std::runtime_error(tmp + ": " + cairo_status_to_string(status));
    std::filesystem::rename(tmp, argv[3]);
  }
  catch (const std::exception& e)
  {
    std::cerr << "make_help_pdf: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
