#include "host/bake/ray_scene.h"

#include <cstring>
#include <embree3/rtcore.h>
#include <limits>
#include <stdexcept>

namespace qhost {
namespace {

void Fail(RTCDevice device, const char* what)
{
  throw std::runtime_error(std::string("ray casting: ") + what + " (Embree error " +
                           std::to_string(int(rtcGetDeviceError(device))) + ")");
}

RTCRay MakeRay(const Vector& origin, const Vector& direction, float near, float far)
{
  RTCRay ray{};
  ray.org_x = float(origin.x);
  ray.org_y = float(origin.y);
  ray.org_z = float(origin.z);
  ray.dir_x = float(direction.x);
  ray.dir_y = float(direction.y);
  ray.dir_z = float(direction.z);
  ray.tnear = near;
  ray.tfar = far;
  ray.mask = std::numeric_limits<unsigned>::max();
  return ray;
}

} // namespace

RayScene::RayScene(const TriangleMesh& mesh) : device_(rtcNewDevice(nullptr), rtcReleaseDevice), scene_(nullptr, rtcReleaseScene)
{
  if (!device_)
    throw std::runtime_error("ray casting: Embree could not start");
  scene_.reset(rtcNewScene(device_.get()));
  RTCGeometry geometry = rtcNewGeometry(device_.get(), RTC_GEOMETRY_TYPE_TRIANGLE);
  if (!scene_ || !geometry)
    Fail(device_.get(), "no scene");
  // Embree's own buffers are padded for its vector loads; a shared buffer
  // would have to be.
  void* vertices = rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                           3 * sizeof(float), mesh.VertexCount());
  void* indices = rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                          3 * sizeof(std::uint32_t), mesh.TriangleCount());
  if (!vertices || !indices)
  {
    rtcReleaseGeometry(geometry);
    Fail(device_.get(), "out of memory");
  }
  std::memcpy(vertices, mesh.positions.data(), mesh.positions.size() * sizeof(float));
  std::memcpy(indices, mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t));
  rtcCommitGeometry(geometry);
  rtcAttachGeometry(scene_.get(), geometry);
  rtcReleaseGeometry(geometry);
  rtcSetSceneFlags(scene_.get(), RTC_SCENE_FLAG_ROBUST);
  rtcCommitScene(scene_.get());
  if (rtcGetDeviceError(device_.get()) != RTC_ERROR_NONE)
    Fail(device_.get(), "the scene could not be built");
}

RayScene::~RayScene() = default;

RayHit RayScene::Intersect(const Vector& origin, const Vector& direction, float near, float far) const
{
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRayHit query{};
  query.ray = MakeRay(origin, direction, near, far);
  query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  rtcIntersect1(scene_.get(), &context, &query);
  RayHit hit;
  if (query.hit.geomID == RTC_INVALID_GEOMETRY_ID)
    return hit;
  hit.triangle = Int32(query.hit.primID);
  hit.weightB = query.hit.u;
  hit.weightC = query.hit.v;
  hit.distance = query.ray.tfar;
  return hit;
}

int RayScene::CountOccluded(const Vector& origin, std::span<const Vector> directions, float near, float far) const
{
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  int occluded = 0;
  for (std::size_t first = 0; first < directions.size(); first += 8)
  {
    RTCRay8 rays{};
    alignas(32) int valid[8] = {};
    for (std::size_t k = 0; k < 8 && first + k < directions.size(); ++k)
    {
      const Vector& d = directions[first + k];
      valid[k] = -1;
      rays.org_x[k] = float(origin.x);
      rays.org_y[k] = float(origin.y);
      rays.org_z[k] = float(origin.z);
      rays.dir_x[k] = float(d.x);
      rays.dir_y[k] = float(d.y);
      rays.dir_z[k] = float(d.z);
      rays.tnear[k] = near;
      rays.tfar[k] = far;
      rays.mask[k] = std::numeric_limits<unsigned>::max();
    }
    rtcOccluded8(valid, scene_.get(), &context, &rays);
    // Embree marks a hit by setting tfar to minus infinity.
    for (std::size_t k = 0; k < 8; ++k)
      occluded += valid[k] && rays.tfar[k] < 0.0f;
  }
  return occluded;
}

} // namespace qhost
