// The host's one PNG decoder, for every PNG it reads (plug-in icons, images
// given by the user), from bytes already in memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/core/image.h"

namespace qhost {

// Decodes any PNG: grey and palette images become RGB, transparency becomes an
// alpha channel, bit depths below 8 become 8. The size is checked against
// kMaxImageSide and kMaxImagePixels before pixel memory is allocated. Throws
// InputError naming the file (name) and the problem.
Image DecodePng(std::span<const std::uint8_t> bytes, const std::string& name);

} // namespace qhost
