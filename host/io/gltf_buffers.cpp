#include "host/io/gltf_buffers.h"

#include <sstream>

#include "host/io/atomic_file.h"

namespace qhost {

tinygltf::Model NewSingleBufferModel()
{
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = "Quorvane";
  model.buffers.resize(1);
  return model;
}

int AddBufferView(tinygltf::Model& model, std::vector<unsigned char>& buffer, const void* bytes, std::size_t size,
                  int target)
{
  buffer.resize((buffer.size() + 3) & ~std::size_t(3), 0);
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = buffer.size();
  view.byteLength = size;
  view.target = target;
  const auto* begin = static_cast<const unsigned char*>(bytes);
  buffer.insert(buffer.end(), begin, begin + size);
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size()) - 1;
}

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count)
{
  tinygltf::Accessor accessor;
  accessor.bufferView = view;
  accessor.componentType = componentType;
  accessor.type = type;
  accessor.count = count;
  model.accessors.push_back(accessor);
  return static_cast<int>(model.accessors.size()) - 1;
}

int AddPngTexture(tinygltf::Model& model, std::vector<unsigned char>& buffer, std::span<const std::uint8_t> png)
{
  tinygltf::Image image;
  image.mimeType = "image/png";
  image.bufferView = AddBufferView(model, buffer, png.data(), png.size(), 0);
  model.images.push_back(image);

  // One sampler serves every texture.
  if (model.samplers.empty())
  {
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model.samplers.push_back(sampler);
  }
  tinygltf::Texture texture;
  texture.source = static_cast<int>(model.images.size()) - 1;
  texture.sampler = 0;
  model.textures.push_back(texture);
  return static_cast<int>(model.textures.size()) - 1;
}

void WriteSceneOfFirstNode(const std::string& path, tinygltf::Model& model, bool binary)
{
  std::vector<unsigned char>& buffer = model.buffers[0].data;
  buffer.resize((buffer.size() + 3) & ~std::size_t(3), 0);
  tinygltf::Scene scene;
  scene.nodes.push_back(0);
  model.scenes.push_back(scene);
  model.defaultScene = 0;

  std::ostringstream stream;
  tinygltf::TinyGLTF writer;
  if (!writer.WriteGltfSceneToStream(&model, stream, !binary, binary))
    throw OutputError(path, "glTF serialisation failed");
  // The file's bytes now hold the buffer: its own copy goes before the file
  // is written, and the bytes move out of the stream rather than being copied.
  std::vector<unsigned char>().swap(buffer);
  WriteFileAtomically(path, std::move(stream).str());
}

} // namespace qhost
