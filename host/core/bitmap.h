// Bitmaps the host loads for plug-ins (icons): 8-bit RGBA pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hostapi/system.h"

namespace qhost {

class HostBitmap final : public BaseBitmap
{
public:
  HostBitmap(Int32 width, Int32 height, Float pixelRatio, std::vector<std::uint8_t> rgba)
      : width_(width), height_(height), pixelRatio_(pixelRatio), rgba_(std::move(rgba))
  {
  }
  ~HostBitmap() override = default;

  Int32 GetBw() const override { return width_; }
  Int32 GetBh() const override { return height_; }
  Float GetPixelRatio() const override { return pixelRatio_; }

private:
  Int32 width_;
  Int32 height_;
  Float pixelRatio_;
  std::vector<std::uint8_t> rgba_;
};

// Reads a PNG file; null when it is missing or unreadable.
std::unique_ptr<HostBitmap> LoadBitmapFile(const String& path, Float pixelRatio);

} // namespace qhost
