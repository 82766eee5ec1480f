// How a material finds the texture position of a surface point: the host's
// side of a texture projection. A UV projection uses the surface's UV
// coordinates, p = (u, v, 0); a solid projection uses the surface point itself
// in a frame fitted to the object, so a 3D pattern runs through the object and
// shows no seams where the UV layout is cut.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "hostapi/types.h"

namespace qhost {

// Stored by a texture tag as these numbers.
enum class TextureProjection : Int32
{
  Uv = 0,
  Solid = 1,
};

// "uv" or "solid"; nothing for any other text.
std::optional<TextureProjection> ParseTextureProjection(std::string_view text);

// The solid projection's frame: the object's axis-aligned bounding box, its
// centre moved to (0.5, 0.5, 0.5) and its longest side scaled to 1. The object
// fills the unit cube as a UV layout fills the unit square, with its
// proportions kept, so a pattern has about the same size in both projections
// and does not depend on the object's unit or position.
class SolidFrame
{
public:
  // Fitted to points. Without extent (no points, or one) the scale stays 1,
  // so the points still land around the centre (0.5, 0.5, 0.5).
  static SolidFrame Fit(std::span<const Vector> points);

  Vector ToTexture(const Vector& point) const { return (point - centre_) * scale_ + Vector(0.5); }

private:
  Vector centre_;
  Float scale_ = 1.0;
};

} // namespace qhost
