// Two triangles that are not coplanar intersect exactly when the segments in
// which each one crosses the other's plane overlap on the line where the two
// planes meet (Möller's interval test). Coplanar triangles are compared in
// the plane, by crossing edges and contained corners.
#include "host/inspect/triangle_intersection.h"

#include <algorithm>
#include <cmath>

namespace qhost {
namespace {

struct Interval
{
  Float low;
  Float high;
};

// Signed distances of the corners of t to the plane of p, snapped to zero
// within the tolerance.
void PlaneDistances(const Vector (&p)[3], const Vector& normal, const Vector (&t)[3], Float tolerance, Float (&d)[3])
{
  const Float offset = Dot(normal, p[0]);
  for (int i = 0; i < 3; ++i)
  {
    d[i] = Dot(normal, t[i]) - offset;
    if (std::fabs(d[i]) < tolerance)
      d[i] = 0.0;
  }
}

// No corner strictly on each side: the triangle misses the plane or only
// touches it with a corner or an edge, so it cannot pass through the other
// triangle (touching is contact, not intersection). All corners on the plane
// is the coplanar case and does not count here.
bool StaysOnOneSide(const Float (&d)[3])
{
  const bool above = d[0] > 0.0 || d[1] > 0.0 || d[2] > 0.0;
  const bool below = d[0] < 0.0 || d[1] < 0.0 || d[2] < 0.0;
  return above != below;
}

// The stretch of the line (parameter = projection onto its direction) that
// the triangle covers, from its corners' projections and plane distances.
Interval CrossingInterval(const Float (&proj)[3], const Float (&d)[3])
{
  // The corner alone on its side of the plane; the other two lie opposite or on it.
  int lone = 0;
  if (d[0] * d[1] > 0.0)
    lone = 2;
  else if (d[0] * d[2] > 0.0)
    lone = 1;
  else if (d[1] * d[2] > 0.0 || d[0] != 0.0)
    lone = 0;
  else if (d[1] != 0.0)
    lone = 1;
  else
    lone = 2;
  const int a = (lone + 1) % 3;
  const int b = (lone + 2) % 3;
  const auto cut = [&](int other) {
    const Float denominator = d[lone] - d[other];
    return denominator == 0.0 ? proj[other] : proj[lone] + (proj[other] - proj[lone]) * d[lone] / denominator;
  };
  const Float s = cut(a);
  const Float t = cut(b);
  return {std::min(s, t), std::max(s, t)};
}

// 2-D helpers for the coplanar case, on the two axes the normal is smallest along.
struct Point2
{
  Float x;
  Float y;
};

Float Orientation(const Point2& a, const Point2& b, const Point2& c)
{
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool SegmentsCross(const Point2& a, const Point2& b, const Point2& c, const Point2& d, Float tolerance)
{
  const Float o1 = Orientation(a, b, c);
  const Float o2 = Orientation(a, b, d);
  const Float o3 = Orientation(c, d, a);
  const Float o4 = Orientation(c, d, b);
  return ((o1 > tolerance && o2 < -tolerance) || (o1 < -tolerance && o2 > tolerance)) &&
         ((o3 > tolerance && o4 < -tolerance) || (o3 < -tolerance && o4 > tolerance));
}

bool StrictlyInside(const Point2& p, const Point2 (&t)[3], Float tolerance)
{
  const Float o1 = Orientation(t[0], t[1], p);
  const Float o2 = Orientation(t[1], t[2], p);
  const Float o3 = Orientation(t[2], t[0], p);
  return (o1 > tolerance && o2 > tolerance && o3 > tolerance) || (o1 < -tolerance && o2 < -tolerance && o3 < -tolerance);
}

bool CoplanarOverlap(const Vector (&t1)[3], const Vector (&t2)[3], const Vector& normal, Float tolerance)
{
  const Float nx = std::fabs(normal.x), ny = std::fabs(normal.y), nz = std::fabs(normal.z);
  const auto flatten = [&](const Vector& v) -> Point2 {
    if (nx >= ny && nx >= nz)
      return {v.y, v.z};
    if (ny >= nz)
      return {v.x, v.z};
    return {v.x, v.y};
  };
  const Point2 a[3] = {flatten(t1[0]), flatten(t1[1]), flatten(t1[2])};
  const Point2 b[3] = {flatten(t2[0]), flatten(t2[1]), flatten(t2[2])};
  // Orientation values are areas: compare them with tolerance x size.
  const Float size = std::max({std::fabs(a[1].x - a[0].x), std::fabs(a[1].y - a[0].y), std::fabs(a[2].x - a[0].x),
                               std::fabs(a[2].y - a[0].y)});
  const Float areaTolerance = tolerance * std::max(size, tolerance);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (SegmentsCross(a[i], a[(i + 1) % 3], b[j], b[(j + 1) % 3], areaTolerance))
        return true;
  // No edges cross: they overlap only if one lies inside the other, or both
  // are the same triangle.
  const Point2 centre1{(a[0].x + a[1].x + a[2].x) / 3.0, (a[0].y + a[1].y + a[2].y) / 3.0};
  const Point2 centre2{(b[0].x + b[1].x + b[2].x) / 3.0, (b[0].y + b[1].y + b[2].y) / 3.0};
  return StrictlyInside(centre1, b, areaTolerance) || StrictlyInside(centre2, a, areaTolerance);
}

} // namespace

bool TrianglesIntersect(const Vector (&t1)[3], const Vector (&t2)[3], Float tolerance)
{
  const Vector n1 = Cross(t1[1] - t1[0], t1[2] - t1[0]);
  const Vector n2 = Cross(t2[1] - t2[0], t2[2] - t2[0]);
  const Float length1 = n1.GetLength();
  const Float length2 = n2.GetLength();
  if (length1 <= 0.0 || length2 <= 0.0)
    return false;
  const Vector u1 = n1 / length1;
  const Vector u2 = n2 / length2;

  Float d1[3], d2[3];
  PlaneDistances(t2, u2, t1, tolerance, d1);
  if (StaysOnOneSide(d1))
    return false;
  PlaneDistances(t1, u1, t2, tolerance, d2);
  if (StaysOnOneSide(d2))
    return false;
  if (d1[0] == 0.0 && d1[1] == 0.0 && d1[2] == 0.0)
    return CoplanarOverlap(t1, t2, u1, tolerance);

  // Project onto the axis along which the planes' common line runs furthest.
  const Vector direction = Cross(u1, u2);
  const Float ax = std::fabs(direction.x), ay = std::fabs(direction.y), az = std::fabs(direction.z);
  const auto component = [&](const Vector& v) { return ax >= ay && ax >= az ? v.x : (ay >= az ? v.y : v.z); };
  const Float p1[3] = {component(t1[0]), component(t1[1]), component(t1[2])};
  const Float p2[3] = {component(t2[0]), component(t2[1]), component(t2[2])};
  const Interval i1 = CrossingInterval(p1, d1);
  const Interval i2 = CrossingInterval(p2, d2);
  // Touching intervals (one shared point) are contact, not intersection.
  const Float overlap = std::min(i1.high, i2.high) - std::max(i1.low, i2.low);
  return overlap > tolerance;
}

} // namespace qhost
