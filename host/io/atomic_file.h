// Whole-file writes that either replace the target completely or leave it
// untouched, so a crash or a full disk never leaves a half-written output.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qhost {

// Writes bytes to a temporary file next to path, flushes it to disk and
// renames it over path. On failure the temporary is removed, an existing file
// at path keeps its old content, and error names the file and the cause.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

// Same, for text built in a string.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);

} // namespace qhost
