#include "host/shading/uv_baker.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qhost {

namespace {

// Enough pixels per band that handing out a band costs nothing next to
// sampling it, few enough that threads finish close together.
constexpr Int64 kPixelsPerBand = 4096;

struct BakeJob
{
  BakeJob(const BakeOptions& options, SampleFn sampler, std::span<Vector> image)
      : width(options.width),
        height(options.height),
        bandRows(static_cast<Int32>(std::clamp<Int64>(kPixelsPerBand / options.width, 1, options.height))),
        bandCount((options.height + bandRows - 1) / bandRows),
        sample(sampler),
        out(image)
  {
  }

  const Int32 width;
  const Int32 height;
  const Int32 bandRows;
  const Int32 bandCount;
  const SampleFn sample;
  const std::span<Vector> out;
  std::atomic<Int32> nextBand{0};
  std::atomic<Int64> pixelsDone{0};
  std::atomic<bool> stop{false};
  std::mutex errorMutex;
  std::exception_ptr error;
};

// Samples the next free band; false once there is none left or the bake stopped.
bool BakeNextBand(BakeJob& job)
{
  if (job.stop.load(std::memory_order_relaxed))
    return false;
  const Int32 band = job.nextBand.fetch_add(1, std::memory_order_relaxed);
  if (band >= job.bandCount)
    return false;
  const Int32 yBegin = band * job.bandRows;
  const Int32 yEnd = std::min(yBegin + job.bandRows, job.height);
  const Float width = job.width;
  const Float height = job.height;
  for (Int32 y = yBegin; y < yEnd; ++y)
  {
    const Float v = 1.0 - (y + 0.5) / height;
    Vector* row = job.out.data() + static_cast<Int64>(y) * job.width;
    for (Int32 x = 0; x < job.width; ++x)
      row[x] = job.sample((x + 0.5) / width, v, x, y);
  }
  job.pixelsDone.fetch_add(static_cast<Int64>(yEnd - yBegin) * job.width, std::memory_order_relaxed);
  return true;
}

void RecordError(BakeJob& job)
{
  const std::lock_guard lock(job.errorMutex);
  if (!job.error)
    job.error = std::current_exception();
  job.stop.store(true, std::memory_order_relaxed);
}

void RunWorker(BakeJob& job, Int32 threadIndex, const std::function<void(Int32)>& perThreadInit)
{
  try
  {
    if (perThreadInit)
      perThreadInit(threadIndex);
    while (BakeNextBand(job))
    {
    }
  }
  catch (...)
  {
    RecordError(job);
  }
}

// Calls progress only when the whole percentage grows, which bounds the
// number of calls at 100 however many bands there are.
class ProgressThrottle
{
public:
  ProgressThrottle(const ProgressFn& progress, Int64 total) : progress_(progress), total_(total) {}

  // False when the callback asked to cancel.
  bool Report(Int64 done)
  {
    if (!progress_)
      return true;
    const Int64 percent = done * 100 / total_;
    if (percent <= lastPercent_)
      return true;
    lastPercent_ = percent;
    return progress_(static_cast<Float>(done) / static_cast<Float>(total_));
  }

private:
  const ProgressFn& progress_;
  Int64 total_;
  Int64 lastPercent_ = 0;
};

Int32 WorkerCount(Int32 requested, Int32 bandCount)
{
  const Int32 cores = std::max<Int32>(1, static_cast<Int32>(std::thread::hardware_concurrency()));
  return std::clamp(requested > 0 ? requested : cores, 1, bandCount);
}

} // namespace

bool BakeImage(const BakeOptions& options, const std::function<void(Int32)>& perThreadInit, SampleFn sample,
               std::span<Vector> out, const ProgressFn& progress)
{
  if (options.width < 0 || options.height < 0)
    return false;
  const Int64 total = static_cast<Int64>(options.width) * options.height;
  if (static_cast<Int64>(out.size()) != total)
    return false;
  if (total == 0)
    return true;

  BakeJob job(options, sample, out);

  bool cancelled = false;
  {
    // Declared after job so that the threads are joined before job goes away,
    // also when starting one of them throws.
    std::vector<std::jthread> helpers;
    const Int32 workers = WorkerCount(options.threads, job.bandCount);
    helpers.reserve(static_cast<size_t>(workers - 1));
    for (Int32 index = 1; index < workers; ++index)
      helpers.emplace_back([&job, index, &perThreadInit] { RunWorker(job, index, perThreadInit); });

    ProgressThrottle throttle(progress, total);
    try
    {
      if (perThreadInit)
        perThreadInit(0);
      while (BakeNextBand(job))
      {
        if (!throttle.Report(job.pixelsDone.load(std::memory_order_relaxed)))
        {
          cancelled = true;
          job.stop.store(true, std::memory_order_relaxed);
        }
      }
    }
    catch (...)
    {
      RecordError(job);
    }
    for (std::jthread& helper : helpers)
      helper.join();
    if (job.error)
      std::rethrow_exception(job.error);
    if (cancelled)
      return false;
    throttle.Report(total);
  }
  return true;
}

} // namespace qhost
