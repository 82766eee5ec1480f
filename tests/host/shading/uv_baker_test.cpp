#include "host/shading/uv_baker.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace qhost {
namespace {

// A pattern with detail at every pixel, sensitive to u, v, x and y.
Vector Pattern(Float u, Float v, Int32 x, Int32 y)
{
  return {std::sin(u * 91.7 + v * 13.1), std::cos(u * v * 57.3) + x * 1e-3, std::fmod(u * 7.0 + y * 0.37, 1.0)};
}

std::vector<Vector> Bake(Int32 width, Int32 height, Int32 threads)
{
  std::vector<Vector> image(static_cast<size_t>(width) * height, Vector(-1.0));
  EXPECT_TRUE(BakeImage({width, height, threads}, {}, Pattern, image));
  return image;
}

TEST(BakeImage, ImageDoesNotDependOnTheThreadCount)
{
  for (const auto& [w, h] : {std::pair{257, 191}, std::pair{3, 5000}, std::pair{6000, 7}})
  {
    const std::vector<Vector> single = Bake(w, h, 1);
    for (Int32 threads : {2, 3, 8, 0})
    {
      const std::vector<Vector> multi = Bake(w, h, threads);
      ASSERT_EQ(multi.size(), single.size());
      EXPECT_EQ(std::memcmp(multi.data(), single.data(), single.size() * sizeof(Vector)), 0)
          << w << "x" << h << " with " << threads << " threads";
    }
  }
}

TEST(BakeImage, SamplesPixelCentresWithVPointingUp)
{
  std::vector<Vector> image(8);
  auto uvOnly = [](Float u, Float v, Int32, Int32) { return Vector(u, v, 0.0); };
  ASSERT_TRUE(BakeImage({4, 2, 1}, {}, uvOnly, image));
  for (Int32 y = 0; y < 2; ++y)
    for (Int32 x = 0; x < 4; ++x)
      EXPECT_EQ(image[static_cast<size_t>(y * 4 + x)], Vector((x + 0.5) / 4.0, 1.0 - (y + 0.5) / 2.0, 0.0));
  EXPECT_EQ(image[0].y, 0.75);
  EXPECT_EQ(image[4].y, 0.25);
}

TEST(BakeImage, EveryPixelIsSampledExactlyOnceIntoItsOwnSlot)
{
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{37, 53}, std::pair{5000, 3}, std::pair{1, 9000}})
  {
    std::vector<std::atomic<int>> visits(static_cast<size_t>(w) * h);
    auto record = [&, w = w](Float, Float, Int32 x, Int32 y) {
      visits[static_cast<size_t>(y) * w + x].fetch_add(1, std::memory_order_relaxed);
      return Vector(x, y, 1.0);
    };
    std::vector<Vector> image(visits.size());
    ASSERT_TRUE(BakeImage({w, h, 8}, {}, record, image));
    for (Int32 y = 0; y < h; ++y)
      for (Int32 x = 0; x < w; ++x)
      {
        const size_t i = static_cast<size_t>(y) * w + x;
        ASSERT_EQ(visits[i].load(), 1) << x << "," << y;
        ASSERT_EQ(image[i], Vector(x, y, 1.0)) << x << "," << y;
      }
  }
}

TEST(BakeImage, RejectsMismatchedSizesWithoutSampling)
{
  std::atomic<int> calls{0};
  auto count = [&](Float, Float, Int32, Int32) {
    ++calls;
    return Vector();
  };
  std::vector<Vector> image(10);
  EXPECT_FALSE(BakeImage({3, 3, 1}, {}, count, image));
  EXPECT_FALSE(BakeImage({-2, -5, 1}, {}, count, image));
  EXPECT_TRUE(BakeImage({0, 7, 1}, {}, count, std::span<Vector>()));
  EXPECT_EQ(calls.load(), 0);
}

TEST(BakeImage, ProgressComesFromTheCallingThreadAndEndsAtOne)
{
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<Float> reports;
  bool foreignThread = false;
  auto progress = [&](Float fraction) {
    foreignThread |= std::this_thread::get_id() != caller;
    reports.push_back(fraction);
    return true;
  };
  std::vector<Vector> image(512 * 512);
  ASSERT_TRUE(BakeImage({512, 512, 4}, {}, Pattern, image, progress));
  EXPECT_FALSE(foreignThread);
  ASSERT_FALSE(reports.empty());
  EXPECT_LE(reports.size(), 100u);
  EXPECT_EQ(reports.back(), 1.0);
  for (size_t i = 1; i < reports.size(); ++i)
    EXPECT_GT(reports[i], reports[i - 1]);
  EXPECT_GT(reports.front(), 0.0);
}

TEST(BakeImage, ProgressCanCancel)
{
  std::atomic<Int64> sampled{0};
  auto count = [&](Float, Float, Int32, Int32) {
    sampled.fetch_add(1, std::memory_order_relaxed);
    return Vector();
  };
  std::vector<Vector> image(400 * 400);
  EXPECT_FALSE(BakeImage({400, 400, 1}, {}, count, image, [](Float) { return false; }));
  EXPECT_GT(sampled.load(), 0);
  EXPECT_LT(sampled.load(), 400 * 400 / 10);
}

thread_local Int32 workerSlot = -1;

TEST(BakeImage, EveryWorkerIsInitialisedOnItsOwnThreadBeforeSampling)
{
  std::mutex mutex;
  std::set<Int32> indices;
  std::set<std::thread::id> threadIds;
  auto init = [&](Int32 index) {
    workerSlot = index;
    const std::lock_guard lock(mutex);
    indices.insert(index);
    threadIds.insert(std::this_thread::get_id());
  };
  std::atomic<int> uninitialised{0};
  auto sample = [&](Float, Float, Int32, Int32) {
    if (workerSlot < 0)
      ++uninitialised;
    return Vector(workerSlot >= 0 ? 1.0 : 0.0);
  };
  std::vector<Vector> image(256 * 256);
  ASSERT_TRUE(BakeImage({256, 256, 4}, init, sample, image));
  EXPECT_EQ(uninitialised.load(), 0);
  EXPECT_EQ(indices, (std::set<Int32>{0, 1, 2, 3}));
  EXPECT_EQ(threadIds.size(), 4u);
  EXPECT_TRUE(threadIds.contains(std::this_thread::get_id()));
  workerSlot = -1;
}

TEST(BakeImage, SamplerExceptionsReachTheCaller)
{
  auto failing = [](Float, Float, Int32 x, Int32 y) {
    if (x == 100 && y == 200)
      throw std::runtime_error("sampler failed");
    return Vector();
  };
  std::vector<Vector> image(300 * 300);
  EXPECT_THROW(BakeImage({300, 300, 4}, {}, failing, image), std::runtime_error);
  EXPECT_THROW(BakeImage({300, 300, 1}, {}, failing, image), std::runtime_error);
}

} // namespace
} // namespace qhost
