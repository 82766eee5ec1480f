// How a field layer combines with the layers below it.
#pragma once

#include "hostapi/types.h"

namespace qhost {

enum class BlendMode : Int32
{
  Normal = 0,
  Add = 1,
  Subtract = 2,
  Multiply = 3,
  Min = 4,
  Max = 5,
};

// below combined with layer by mode, mixed by opacity, clamped to [0, 1].
Float Blend(BlendMode mode, Float below, Float layer, Float opacity);

} // namespace qhost
