// Console output, resources, bitmaps, files and dialogs.
#pragma once

#include <initializer_list>

#include "hostapi/ids.h"
#include "hostapi/types.h"

// ---- Console ----------------------------------------------------------------------
// One argument of a formatted console line; each '@' in the text takes the next.
struct OutputArg
{
  enum class Kind { Int, Float, Text } kind;
  Int64 i = 0;
  Float f = 0.0;
  const char* text = nullptr;

  OutputArg(Int32 v) : kind(Kind::Int), i(v) {}
  OutputArg(Int64 v) : kind(Kind::Int), i(v) {}
  OutputArg(Float v) : kind(Kind::Float), f(v) {}
  OutputArg(const String& v) : kind(Kind::Text), text(v.c_str()) {}
  OutputArg(const char* v) : kind(Kind::Text), text(v) {}
};

// Writes one line to the host console. The host formats Floats in their
// shortest round-trip form.
void WriteConsoleLine(OUTPUT kind, TARGETAUDIENCE audience, WRITEMETA meta, const char* file, Int32 line,
                      const char* text, std::initializer_list<OutputArg> args);

#define ApplicationOutput(text, ...) \
  WriteConsoleLine(OUTPUT::NORMAL, TARGETAUDIENCE::ALL, WRITEMETA::DEFAULT, __FILE__, __LINE__, text, {__VA_ARGS__})
#define DiagnosticOutput(text, ...) \
  WriteConsoleLine(OUTPUT::DIAGNOSTIC, TARGETAUDIENCE::ALL, WRITEMETA::DEFAULT, __FILE__, __LINE__, text, {__VA_ARGS__})

// ---- Files ------------------------------------------------------------------------
class Filename
{
public:
  Filename() = default;
  Filename(const String& path) : path_(path) {}
  Filename(const char* path) : path_(path) {}

  const String& GetString() const { return path_; }
  Bool IsPopulated() const { return !path_.empty(); }
  bool operator==(const Filename&) const = default;

private:
  String path_;
};

// Joins a folder and a relative name with the platform's separator.
Filename operator+(const Filename& folder, const Filename& name);

// The module's own folder.
Filename GeGetPluginPath();
// Opens a file with the system's associated application.
Bool GeExecuteFile(const Filename& path);

// ---- Resources ----------------------------------------------------------------------
// The module's resources (descriptions and string tables) from its "res" folder.
class GeResource
{
public:
  Bool Init(const Filename& moduleFolder);
  void Free();
  Bool IsLoaded() const { return handle_ != nullptr; }
  // The string of the module's string table, or the empty string.
  String LoadString(Int32 id) const;

private:
  void* handle_ = nullptr;
};

String GeLoadString(Int32 id);

// ---- Bitmaps ------------------------------------------------------------------------
class BaseBitmap
{
public:
  virtual Int32 GetBw() const = 0;
  virtual Int32 GetBh() const = 0;
  virtual Float GetPixelRatio() const = 0;

protected:
  virtual ~BaseBitmap() = default;
};

// A bitmap read from disk, freed at the end of the scope; null when unreadable.
class AutoBitmap
{
public:
  AutoBitmap(const Filename& file, Float pixelRatio = 1.0);
  ~AutoBitmap();
  AutoBitmap(const AutoBitmap&) = delete;
  AutoBitmap& operator=(const AutoBitmap&) = delete;

  operator BaseBitmap*() const { return bitmap_; }

private:
  BaseBitmap* bitmap_ = nullptr;
};

// ---- Dialogs ------------------------------------------------------------------------
// A modal message box (flags GEMB_*); returns the button pressed.
Int32 MessageDialog(Int32 flags, const String& text);
