// Reading a whole input file into memory, refusing anything that is not a
// regular file (a FIFO would block, a device never ends) and anything larger
// than the caller's limit, before reading a byte.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qhost {

// Throws InputError when path is missing, not a regular file or larger than
// maxBytes, and std::runtime_error when reading fails.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

// What a file of this st_mode is, for messages that refuse anything but a
// regular file: "a directory", "a FIFO", "a socket", "a device".
const char* FileKindName(mode_t mode);

} // namespace qhost
