#include "host/app/progress.h"

#include <cstdio>
#include <unistd.h>

namespace qhost::app {
namespace {

std::atomic<bool> g_always{false};

bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

double SecondsSince(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

void ShowProgressAlways(bool always) { g_always = always; }

ElapsedProgress::ElapsedProgress(std::string label)
    : label_(std::move(label)), start_(std::chrono::steady_clock::now())
{
  if (!StderrIsTerminal())
    return;
  ticker_ = std::thread([this] {
    bool shown = false;
    while (!done_.load())
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const double seconds = SecondsSince(start_);
      if (seconds >= 0.5)
      {
        std::fprintf(stderr, "\r%s... %.1fs", label_.c_str(), seconds);
        shown = true;
      }
    }
    if (shown)
      std::fprintf(stderr, "\r\033[K");
  });
}

ElapsedProgress::~ElapsedProgress()
{
  done_ = true;
  if (ticker_.joinable())
    ticker_.join();
  if (g_always)
    std::fprintf(stderr, "%s: %.2fs\n", label_.c_str(), SecondsSince(start_));
}

FractionProgress::FractionProgress(std::string label)
    : label_(std::move(label)), terminal_(StderrIsTerminal()), start_(std::chrono::steady_clock::now())
{
}

FractionProgress::~FractionProgress()
{
  if (terminal_ && lastPercent_ >= 0)
    std::fprintf(stderr, "\r\033[K");
  if (g_always)
    std::fprintf(stderr, "%s: %.2fs\n", label_.c_str(), SecondsSince(start_));
}

void FractionProgress::Update(double fraction)
{
  const int percent = int(fraction * 100.0);
  if (percent == lastPercent_)
    return;
  if (terminal_)
    std::fprintf(stderr, "\r%s %3d%%", label_.c_str(), percent);
  else if (g_always && percent / 10 != lastPercent_ / 10)
    std::fprintf(stderr, "%s %3d%%\n", label_.c_str(), percent);
  lastPercent_ = percent;
}

} // namespace qhost::app
