// The host console: every line written by the host or a module, kept so that
// tests and the application can read it.
#pragma once

#include <initializer_list>
#include <mutex>
#include <vector>

#include "hostapi/system.h"

namespace qhost {

struct ConsoleLine
{
  OUTPUT kind = OUTPUT::NORMAL;
  TARGETAUDIENCE audience = TARGETAUDIENCE::ALL;
  WRITEMETA meta = WRITEMETA::DEFAULT;
  String file; // source location of the writer
  Int32 line = 0;
  String text;
};

// Formats a Float in its shortest form that reads back to the same value.
String FormatFloat(Float value);
// Replaces each '@' in text by the next argument.
String FormatConsoleText(const char* text, std::initializer_list<OutputArg> args);

class Console
{
public:
  static Console& Instance();

  void Write(ConsoleLine line);
  std::vector<ConsoleLine> Lines() const;
  std::vector<String> Texts() const;
  void Clear();

private:
  Console() = default;
  mutable std::mutex mutex_;
  std::vector<ConsoleLine> lines_;
};

} // namespace qhost
