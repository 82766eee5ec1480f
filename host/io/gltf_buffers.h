// Building blocks of the glTF writers: data appended to the one binary
// buffer of a model, with views and accessors over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <tiny_gltf.h>
#include <vector>

namespace qhost {

// Appends a 4-byte aligned buffer view over bytes and returns its index.
int AddBufferView(tinygltf::Model& model, std::vector<unsigned char>& buffer, const void* bytes, std::size_t size,
                  int target);

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count);

// The PNG in the buffer as an image, with a texture over it that repeats and
// filters through mipmaps; returns the texture's index.
int AddPngTexture(tinygltf::Model& model, std::vector<unsigned char>& buffer, std::span<const std::uint8_t> png);

} // namespace qhost
