// Feeds arbitrary bytes to the scene loader. Whatever loads must save, load
// back to an equal document and save to the same text again; whatever does
// not load must say why. Crashes, leaks and undefined behaviour are caught by
// the sanitizers this target is built with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/io/scene_compare.h"
#include "host/io/scene_file.h"
#include "host/runtime/host.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail)
{
  std::fprintf(stderr, "scene_fuzz: %s: %s\n", what, detail.c_str());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  static const bool hostReady = (qhost::Host::Instance(), true);
  (void)hostReady;

  qhost::DocumentPtr doc;
  try
  {
    doc = qhost::ReadScene(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  catch (const qhost::InputError& e)
  {
    if (std::string(e.what()).empty())
      Fail("refused without a message", "");
    return 0;
  }
  const std::string saved = qhost::WriteScene(*doc);
  qhost::DocumentPtr again;
  try
  {
    again = qhost::ReadScene(saved);
  }
  catch (const qhost::InputError& e)
  {
    Fail("a saved scene does not load", e.what());
  }
  std::string difference;
  if (!qhost::SameScene(*doc, *again, difference))
    Fail("a saved scene loads back different", difference);
  if (qhost::WriteScene(*again) != saved)
    Fail("a reloaded scene saves different text", "");
  return 0;
}
