// Progress shown on stderr while a long step runs: on a terminal, a line
// redrawn in place once the step has taken half a second; with
// ShowProgressAlways, also a line per step (and per tenth of a fraction)
// when stderr is a file or a pipe.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace qhost::app {

// --progress: report every step, whether or not stderr is a terminal.
void ShowProgressAlways(bool always);

// While alive, prints "<label>... N.Ns" every tenth of a second after the
// first half second; with ShowProgressAlways, "<label>: N.Ns" when it ends.
class ElapsedProgress
{
public:
  explicit ElapsedProgress(std::string label);
  ~ElapsedProgress();
  ElapsedProgress(const ElapsedProgress&) = delete;
  ElapsedProgress& operator=(const ElapsedProgress&) = delete;

private:
  std::string label_;
  std::chrono::steady_clock::time_point start_;
  std::atomic<bool> done_{false};
  std::thread ticker_;
};

// A fraction-done bar; Update is called from one thread. With
// ShowProgressAlways, "<label>: N.Ns" when it ends, as ElapsedProgress.
class FractionProgress
{
public:
  explicit FractionProgress(std::string label);
  ~FractionProgress();
  FractionProgress(const FractionProgress&) = delete;
  FractionProgress& operator=(const FractionProgress&) = delete;
  void Update(double fraction);

private:
  std::string label_;
  bool terminal_;
  std::chrono::steady_clock::time_point start_;
  int lastPercent_ = -1;
};

} // namespace qhost::app
