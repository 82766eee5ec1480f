// Small per-polygon helpers shared by the geometry algorithms.
#pragma once

#include <span>

#include "hostapi/types.h"

namespace qhost {

// Three corners for a triangle (c == d), four for a quad.
constexpr Int32 CornerCount(const CPolygon& polygon) { return polygon.IsTriangle() ? 3 : 4; }

// Point index of corner 0..3 (a, b, c, d).
constexpr Int32 CornerPoint(const CPolygon& polygon, Int32 corner)
{
  switch (corner)
  {
    case 0: return polygon.a;
    case 1: return polygon.b;
    case 2: return polygon.c;
    default: return polygon.d;
  }
}

// UVW of corner 0..3 (a, b, c, d).
constexpr const Vector& CornerUV(const UVWStruct& uv, Int32 corner)
{
  switch (corner)
  {
    case 0: return uv.a;
    case 1: return uv.b;
    case 2: return uv.c;
    default: return uv.d;
  }
}

// Unnormalised normal (P[b] - P[d]) x (P[c] - P[a]); its length is twice the
// area of a planar polygon, and for a triangle it reduces to (b - a) x (c - a).
// Indices must be in range.
inline Vector PolygonNormal(std::span<const Vector> points, const CPolygon& polygon)
{
  return Cross(points[polygon.b] - points[polygon.d], points[polygon.c] - points[polygon.a]);
}

} // namespace qhost
