// Progress shown on a terminal while a long step runs.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace qhost::app {

// While alive, prints "<label>... N.Ns" on stderr every half second, when stderr
// is a terminal; silent otherwise.
class ElapsedProgress
{
public:
  explicit ElapsedProgress(std::string label);
  ~ElapsedProgress();
  ElapsedProgress(const ElapsedProgress&) = delete;
  ElapsedProgress& operator=(const ElapsedProgress&) = delete;

private:
  std::string label_;
  std::atomic<bool> done_{false};
  std::thread ticker_;
};

// A fraction-done bar on a terminal; Update is called from one thread.
class FractionProgress
{
public:
  explicit FractionProgress(std::string label);
  ~FractionProgress();
  void Update(double fraction);

private:
  std::string label_;
  bool terminal_;
  int lastPercent_ = -1;
};

} // namespace qhost::app
