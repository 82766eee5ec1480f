// Building blocks of the glTF writers: a model with one binary buffer, data
// appended to that buffer with views and accessors over it, and the model's
// scene written as a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <tiny_gltf.h>
#include <vector>

namespace qhost {

// An empty glTF 2.0 model made by Quorvane, with its one (empty) buffer.
tinygltf::Model NewSingleBufferModel();

// Appends a 4-byte aligned buffer view over bytes and returns its index.
int AddBufferView(tinygltf::Model& model, std::vector<unsigned char>& buffer, const void* bytes, std::size_t size,
                  int target);

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count);

// The PNG in the buffer as an image, with a texture over it that repeats and
// filters through mipmaps; returns the texture's index.
int AddPngTexture(tinygltf::Model& model, std::vector<unsigned char>& buffer, std::span<const std::uint8_t> png);

// Pads the buffer to a multiple of four bytes, makes node 0 the one node of
// the default scene and writes the model atomically, as GLB when binary and
// as .gltf JSON with the buffer embedded otherwise. The model's buffer is
// released once serialised, so the file's bytes are the only copy while it is
// written. Throws OutputError.
void WriteSceneOfFirstNode(const std::string& path, tinygltf::Model& model, bool binary);

} // namespace qhost
