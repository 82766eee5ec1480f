// A triangle mesh prepared for ray casting with Embree: the bakes ask where
// a ray first meets the surface, or whether it meets it at all.
#pragma once

#include <memory>
#include <span>

#include "host/geometry/triangle_mesh.h"

struct RTCDeviceTy;
struct RTCSceneTy;

namespace qhost {

struct RayHit
{
  Int32 triangle = -1; // -1: no hit
  // Weights of the triangle's second and third corner at the hit point.
  float weightB = 0.0f;
  float weightC = 0.0f;
  float distance = 0.0f;

  explicit operator bool() const { return triangle >= 0; }
};

class RayScene
{
public:
  // Builds Embree's acceleration structure over the mesh's positions and
  // triangles (copied). Throws std::runtime_error when Embree fails.
  explicit RayScene(const TriangleMesh& mesh);
  ~RayScene();
  RayScene(const RayScene&) = delete;
  RayScene& operator=(const RayScene&) = delete;

  // The first hit of the ray origin + t * direction with near <= t <= far;
  // direction need not be unit length (distance is in its units). Safe to
  // call from many threads at once.
  RayHit Intersect(const Vector& origin, const Vector& direction, float near, float far) const;
  // How many of the rays from origin along directions hit anything between
  // near and far; traced eight at a time, which is cheaper than one by one.
  int CountOccluded(const Vector& origin, std::span<const Vector> directions, float near, float far) const;

private:
  std::unique_ptr<RTCDeviceTy, void (*)(RTCDeviceTy*)> device_;
  std::unique_ptr<RTCSceneTy, void (*)(RTCSceneTy*)> scene_;
};

} // namespace qhost
