// A contact sheet: one picture of many rocks, each drawn by the preview
// renderer from its mesh file, in rows, in the order given, each with its
// label below it.
#pragma once

#include <string>
#include <vector>

#include "host/core/image.h"
#include "host/io/mesh_frame.h"

namespace qhost::app {

struct ContactSheetEntry
{
  std::string meshPath;
  std::string label; // what tells this rock from the others, such as its seed
};

// Tiles of at most 160 x 120 pixels, as many columns as the square root of
// the count (rounded up), smaller tiles when that would pass the widest
// picture the host makes. Labels are left out once tiles are too small to
// hold them legibly. Throws naming the file that cannot be read or drawn.
Image MakeContactSheet(const std::vector<ContactSheetEntry>& entries, const MeshFileFrame& frame);

} // namespace qhost::app
