#include "host/fields/blend.h"

#include <algorithm>

namespace qhost {

Float Blend(BlendMode mode, Float below, Float layer, Float opacity)
{
  Float combined = layer;
  switch (mode)
  {
    case BlendMode::Normal: combined = layer; break;
    case BlendMode::Add: combined = below + layer; break;
    case BlendMode::Subtract: combined = below - layer; break;
    case BlendMode::Multiply: combined = below * layer; break;
    case BlendMode::Min: combined = std::min(below, layer); break;
    case BlendMode::Max: combined = std::max(below, layer); break;
  }
  return std::clamp(below + (combined - below) * opacity, 0.0, 1.0);
}

} // namespace qhost
