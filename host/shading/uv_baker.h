// Bakes a per-pixel sampler into an image over the unit UV square, in
// parallel, with a result that never depends on the number of threads.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <type_traits>

#include "hostapi/types.h"

namespace qhost {

struct BakeOptions
{
  Int32 width = 0;
  Int32 height = 0;
  Int32 threads = 0; // 0 or less: one per core
};

// A non-owning reference to a sampler callable as
// Vector(Float u, Float v, Int32 x, Int32 y). Each pixel costs one call
// through a function pointer: no std::function, no allocation. The callable
// must outlive the bake and be safe to call from several threads at once.
class SampleFn
{
public:
  using Function = Vector (*)(Float u, Float v, Int32 x, Int32 y);

  // Functions and captureless lambdas are kept as plain function pointers;
  // anything else by address, so it must outlive the bake.
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, SampleFn> &&
             std::is_invocable_r_v<Vector, F&, Float, Float, Int32, Int32>)
  SampleFn(F&& sampler) // NOLINT: implicit so lambdas pass straight in
  {
    if constexpr (std::is_convertible_v<F, Function>)
    {
      target_.function = sampler;
      call_ = &CallFunction;
    }
    else
    {
      target_.object = const_cast<void*>(static_cast<const void*>(std::addressof(sampler)));
      call_ = &CallObject<std::remove_reference_t<F>>;
    }
  }

  Vector operator()(Float u, Float v, Int32 x, Int32 y) const { return call_(target_, u, v, x, y); }

private:
  union Target
  {
    void* object;
    Function function;
  };

  static Vector CallFunction(Target target, Float u, Float v, Int32 x, Int32 y)
  {
    return target.function(u, v, x, y);
  }

  template <typename F>
  static Vector CallObject(Target target, Float u, Float v, Int32 x, Int32 y)
  {
    return (*static_cast<F*>(target.object))(u, v, x, y);
  }

  Target target_{};
  Vector (*call_)(Target, Float, Float, Int32, Int32) = nullptr;
};

// Receives the fraction of pixels done, in (0, 1]; returning false cancels.
using ProgressFn = std::function<bool(Float fraction)>;

// Fills out (row-major, width * height pixels, row 0 at the top) with
// sample(u, v, x, y) at pixel centres: u = (x + 0.5) / width,
// v = 1 - (y + 0.5) / height, so v grows upwards.
// Bands of rows are handed out to worker threads through an atomic counter.
// The calling thread is worker 0 and the only one that calls progress, at
// most 100 times. perThreadInit (may be empty) runs once on every worker,
// with its index, before that worker samples anything. An exception from the
// sampler or a callback stops the bake and is rethrown here after every
// worker has finished.
// Returns false when the sizes do not match out or progress cancelled;
// a cancelled image is only partly written.
bool BakeImage(const BakeOptions& options, const std::function<void(Int32 threadIndex)>& perThreadInit,
               SampleFn sample, std::span<Vector> out, const ProgressFn& progress = {});

} // namespace qhost
