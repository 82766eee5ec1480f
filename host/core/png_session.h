// libpng's read or write state with an error handler that records the message
// and jumps back. The functions that call setjmp keep only trivially
// destructible locals, so jumping out of libpng never skips a C++ destructor;
// all containers live in their callers.
#pragma once

#include <cstdio>
#include <png.h>

namespace qhost {

struct PngSession
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool reading = true;
  char message[256] = "";

  explicit PngSession(bool forReading) : reading(forReading)
  {
    png = reading ? png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning)
                  : png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (png)
      info = png_create_info_struct(png);
  }
  ~PngSession()
  {
    if (reading)
      png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    else
      png_destroy_write_struct(&png, info ? &info : nullptr);
  }
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;

  // False when libpng could not allocate its state.
  bool Ready() const { return info != nullptr; }

private:
  [[noreturn]] static void OnError(png_structp png, png_const_charp message)
  {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::snprintf(session->message, sizeof(session->message), "%s", message);
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp) {}
};

} // namespace qhost
