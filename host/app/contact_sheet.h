// A contact sheet: one picture of many rocks, each drawn by the preview
// renderer from its mesh file, in rows, in the order given.
#pragma once

#include <string>
#include <vector>

#include "host/core/image.h"
#include "host/io/mesh_frame.h"

namespace qhost::app {

// Tiles of at most 160 x 120 pixels, as many columns as the square root of
// the count (rounded up), smaller tiles when that would pass the widest
// picture the host makes. Throws naming the file that cannot be read or drawn.
Image MakeContactSheet(const std::vector<std::string>& meshPaths, const MeshFileFrame& frame);

} // namespace qhost::app
