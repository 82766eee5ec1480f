#include "host/inspect/self_intersection.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/geometry/polygon_geometry.h"
#include "host/inspect/triangle_intersection.h"

namespace qhost {
namespace {

using DevicePtr = std::unique_ptr<RTCDeviceTy, decltype(&rtcReleaseDevice)>;
using ScenePtr = std::unique_ptr<RTCSceneTy, decltype(&rtcReleaseScene)>;

struct CollisionInput
{
  std::span<const Vector> points;
  std::span<const CPolygon> polygons;
  std::mutex mutex;
  std::vector<std::pair<Int32, Int32>> candidates;
};

void PolygonBounds(const RTCBoundsFunctionArguments* args)
{
  const auto* input = static_cast<const CollisionInput*>(args->geometryUserPtr);
  const CPolygon& polygon = input->polygons[args->primID];
  Vector low = input->points[size_t(polygon.a)];
  Vector high = low;
  for (Int32 corner = 1; corner < CornerCount(polygon); ++corner)
  {
    const Vector& p = input->points[size_t(CornerPoint(polygon, corner))];
    low = Vector(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  // Embree stores floats: widen the box so rounding never loses a contact.
  const auto down = [](Float v) { return std::nextafter(float(v), -INFINITY); };
  const auto up = [](Float v) { return std::nextafter(float(v), INFINITY); };
  *args->bounds_o = {down(low.x), down(low.y), down(low.z), 0.0f, up(high.x), up(high.y), up(high.z), 0.0f};
}

// Called from Embree's worker threads with batches of overlapping boxes.
void CollectCandidates(void* user, RTCCollision* collisions, unsigned int count)
{
  auto* input = static_cast<CollisionInput*>(user);
  std::lock_guard lock(input->mutex);
  for (unsigned int i = 0; i < count; ++i)
    if (collisions[i].primID0 < collisions[i].primID1)
      input->candidates.emplace_back(Int32(collisions[i].primID0), Int32(collisions[i].primID1));
}

bool SharePoint(const CPolygon& l, const CPolygon& r)
{
  for (Int32 i = 0; i < CornerCount(l); ++i)
    for (Int32 j = 0; j < CornerCount(r); ++j)
      if (CornerPoint(l, i) == CornerPoint(r, j))
        return true;
  return false;
}

bool PolygonsIntersect(std::span<const Vector> points, const CPolygon& l, const CPolygon& r, Float tolerance)
{
  const auto triangles = [&](const CPolygon& p, Vector (&t)[2][3]) {
    t[0][0] = points[size_t(p.a)], t[0][1] = points[size_t(p.b)], t[0][2] = points[size_t(p.c)];
    t[1][0] = points[size_t(p.a)], t[1][1] = points[size_t(p.c)], t[1][2] = points[size_t(p.d)];
    return p.IsTriangle() ? 1 : 2;
  };
  Vector tl[2][3], tr[2][3];
  const int nl = triangles(l, tl);
  const int nr = triangles(r, tr);
  for (int i = 0; i < nl; ++i)
    for (int j = 0; j < nr; ++j)
      if (TrianglesIntersect(tl[i], tr[j], tolerance))
        return true;
  return false;
}

} // namespace

std::int64_t CountSelfIntersectingPairs(std::span<const Vector> points, std::span<const CPolygon> polygons,
                                        Float tolerance)
{
  if (polygons.size() < 2)
    return 0;
  DevicePtr device(rtcNewDevice(nullptr), rtcReleaseDevice);
  if (!device)
    throw std::runtime_error("the ray-tracing device could not be created");
  ScenePtr scene(rtcNewScene(device.get()), rtcReleaseScene);
  CollisionInput input{points, polygons, {}, {}};
  RTCGeometry geometry = rtcNewGeometry(device.get(), RTC_GEOMETRY_TYPE_USER);
  rtcSetGeometryUserPrimitiveCount(geometry, unsigned(polygons.size()));
  rtcSetGeometryUserData(geometry, &input);
  rtcSetGeometryBoundsFunction(geometry, PolygonBounds, nullptr);
  rtcCommitGeometry(geometry);
  rtcAttachGeometry(scene.get(), geometry);
  rtcReleaseGeometry(geometry);
  rtcCommitScene(scene.get());
  rtcCollide(scene.get(), scene.get(), CollectCandidates, &input);
  if (rtcGetDeviceError(device.get()) != RTC_ERROR_NONE)
    throw std::runtime_error("the collision query failed");

  // Taken under the callbacks' lock: Embree has joined its workers by now, but
  // in code a thread checker cannot see, and the lock shows it the hand-over.
  std::vector<std::pair<Int32, Int32>> candidates;
  {
    std::lock_guard lock(input.mutex);
    candidates = std::move(input.candidates);
  }
  // The callback order depends on threads; sorted and unique, the pairs do not.
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  std::int64_t count = 0;
  for (const auto& [l, r] : candidates)
  {
    const CPolygon& pl = polygons[size_t(l)];
    const CPolygon& pr = polygons[size_t(r)];
    if (!SharePoint(pl, pr) && PolygonsIntersect(points, pl, pr, tolerance))
      ++count;
  }
  return count;
}

} // namespace qhost
