#include "host/app/progress.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace qhost::app {
namespace {
bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }
} // namespace

ElapsedProgress::ElapsedProgress(std::string label) : label_(std::move(label))
{
  if (!StderrIsTerminal())
    return;
  ticker_ = std::thread([this] {
    const auto start = std::chrono::steady_clock::now();
    while (!done_.load())
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (seconds >= 0.5)
        std::fprintf(stderr, "\r%s... %.1fs", label_.c_str(), seconds);
    }
    std::fprintf(stderr, "\r\033[K");
  });
}

ElapsedProgress::~ElapsedProgress()
{
  done_ = true;
  if (ticker_.joinable())
    ticker_.join();
}

FractionProgress::FractionProgress(std::string label) : label_(std::move(label)), terminal_(StderrIsTerminal()) {}

FractionProgress::~FractionProgress()
{
  if (terminal_ && lastPercent_ >= 0)
    std::fprintf(stderr, "\r\033[K");
}

void FractionProgress::Update(double fraction)
{
  const int percent = int(fraction * 100.0);
  if (!terminal_ || percent == lastPercent_)
    return;
  lastPercent_ = percent;
  std::fprintf(stderr, "\r%s %3d%%", label_.c_str(), percent);
}

} // namespace qhost::app
