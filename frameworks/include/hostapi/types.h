// Basic scalar and geometric value types of the host API.
// Shared verbatim by the module and the host: plain data, no virtuals.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

using Int32 = std::int32_t;
using UInt32 = std::uint32_t;
using Int64 = std::int64_t;
using Float = double;
using Float32 = float;
using Bool = bool;
using Char = char;
using String = std::string;

constexpr Float kMaxFloat = 1.7976931348623157e308;
constexpr Float kPi = 3.141592653589793;

struct Vector
{
  Float x = 0.0, y = 0.0, z = 0.0;

  constexpr Vector() = default;
  constexpr explicit Vector(Float v) : x(v), y(v), z(v) {}
  constexpr Vector(Float vx, Float vy, Float vz) : x(vx), y(vy), z(vz) {}

  constexpr Vector operator+(const Vector& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr Vector operator-(const Vector& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr Vector operator-() const { return {-x, -y, -z}; }
  constexpr Vector operator*(Float s) const { return {x * s, y * s, z * s}; }
  constexpr Vector operator/(Float s) const { return {x / s, y / s, z / s}; }
  constexpr Vector& operator+=(const Vector& o) { x += o.x; y += o.y; z += o.z; return *this; }
  constexpr Vector& operator-=(const Vector& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  constexpr Vector& operator*=(Float s) { x *= s; y *= s; z *= s; return *this; }
  constexpr bool operator==(const Vector& o) const = default;

  Float GetLength() const { return std::sqrt(x * x + y * y + z * z); }
  constexpr Float GetSquaredLength() const { return x * x + y * y + z * z; }
  // A zero vector stays zero.
  Vector GetNormalized() const
  {
    const Float len = GetLength();
    return len > 0.0 ? *this / len : Vector();
  }
};

constexpr Vector operator*(Float s, const Vector& v) { return v * s; }
constexpr Float Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vector Cross(const Vector& a, const Vector& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Component-wise product, used for colours.
constexpr Vector MulComponents(const Vector& a, const Vector& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

// Affine transform of twelve Floats: offset, then the three axis vectors.
struct Matrix
{
  Vector off;
  Vector v1{1.0, 0.0, 0.0};
  Vector v2{0.0, 1.0, 0.0};
  Vector v3{0.0, 0.0, 1.0};

  constexpr Vector operator*(const Vector& p) const { return off + v1 * p.x + v2 * p.y + v3 * p.z; }
  constexpr Matrix operator*(const Matrix& m) const
  {
    return {*this * m.off, TransformVector(m.v1), TransformVector(m.v2), TransformVector(m.v3)};
  }
  constexpr Vector TransformVector(const Vector& d) const { return v1 * d.x + v2 * d.y + v3 * d.z; }
  constexpr Float Determinant() const { return Dot(v1, Cross(v2, v3)); }
  constexpr bool operator==(const Matrix& o) const = default;

  // The inverse affine transform; the identity when the axes are singular.
  constexpr Matrix operator~() const
  {
    const Float det = Determinant();
    if (det == 0.0)
      return Matrix();
    // Rows of the inverse 3x3 are the cross products of the columns divided by det.
    const Vector r1 = Cross(v2, v3) / det;
    const Vector r2 = Cross(v3, v1) / det;
    const Vector r3 = Cross(v1, v2) / det;
    Matrix inv;
    inv.v1 = {r1.x, r2.x, r3.x};
    inv.v2 = {r1.y, r2.y, r3.y};
    inv.v3 = {r1.z, r2.z, r3.z};
    inv.off = -inv.TransformVector(off);
    return inv;
  }
};

// A polygon of four point indices; a triangle has c equal to d.
struct CPolygon
{
  Int32 a = 0, b = 0, c = 0, d = 0;

  constexpr CPolygon() = default;
  constexpr CPolygon(Int32 ia, Int32 ib, Int32 ic) : a(ia), b(ib), c(ic), d(ic) {}
  constexpr CPolygon(Int32 ia, Int32 ib, Int32 ic, Int32 id) : a(ia), b(ib), c(ic), d(id) {}
  constexpr bool IsTriangle() const { return c == d; }
  constexpr bool operator==(const CPolygon& o) const = default;
};

// UVW coordinates of one polygon's corners (d unused for triangles).
struct UVWStruct
{
  Vector a, b, c, d;
};
