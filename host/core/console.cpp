#include "host/core/console.h"

#include <charconv>

namespace qhost {

String FormatFloat(Float value)
{
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return String(buffer, result.ptr);
}

String FormatConsoleText(const char* text, std::initializer_list<OutputArg> args)
{
  String out;
  auto arg = args.begin();
  for (const char* c = text; *c; ++c)
  {
    if (*c != '@' || arg == args.end())
    {
      out += *c;
      continue;
    }
    switch (arg->kind)
    {
      case OutputArg::Kind::Int: out += std::to_string(arg->i); break;
      case OutputArg::Kind::Float: out += FormatFloat(arg->f); break;
      case OutputArg::Kind::Text: out += arg->text ? arg->text : ""; break;
    }
    ++arg;
  }
  return out;
}

Console& Console::Instance()
{
  static Console console;
  return console;
}

void Console::Write(ConsoleLine line)
{
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

std::vector<ConsoleLine> Console::Lines() const
{
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<String> Console::Texts() const
{
  std::lock_guard lock(mutex_);
  std::vector<String> texts;
  for (const ConsoleLine& l : lines_)
    texts.push_back(l.text);
  return texts;
}

void Console::Clear()
{
  std::lock_guard lock(mutex_);
  lines_.clear();
}

} // namespace qhost
