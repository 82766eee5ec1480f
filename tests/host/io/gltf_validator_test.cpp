// Checks written glTF files with the Khronos validator when it is installed
// (scripts/validate_gltf.sh --install); skipped otherwise, so the suite needs
// no network.
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "host/io/mesh_gltf.h"
#include "host/io/png_image.h"
#include "io_test_support.h"

namespace qhost {
namespace {

using testing::FlatCornerNormals;
using testing::ScratchFolder;

constexpr int kValidatorMissing = 77;

TEST(GltfValidatorTest, WrittenFilesHaveNoValidationErrors)
{
  ScratchFolder folder;
  const MeshData cube = testing::QuadCube();
  const MeshData tetra = testing::Tetrahedron();
  Image texture = MakeImage(4, 4, 4, 8);
  for (std::size_t i = 0; i < texture.samples.size(); ++i)
    texture.samples[i] = static_cast<std::uint16_t>(i * 37 % 256);
  MeshWriteOptions textured;
  textured.baseColorTexture = &texture;

  WriteGltf(folder.File("cube.glb"), cube, FlatCornerNormals(cube), MeshWriteOptions(), true);
  WriteGltf(folder.File("textured.glb"), cube, FlatCornerNormals(cube), textured, true);
  WriteGltf(folder.File("textured.gltf"), cube, FlatCornerNormals(cube), textured, false);
  WriteGltf(folder.File("tetra.glb"), tetra, FlatCornerNormals(tetra), MeshWriteOptions(), true);

  const std::string command = std::string("bash '") + QV_SOURCE_DIR + "/scripts/validate_gltf.sh' '" +
                              folder.File("cube.glb") + "' '" + folder.File("textured.glb") + "' '" +
                              folder.File("textured.gltf") + "' '" + folder.File("tetra.glb") + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kValidatorMissing)
    GTEST_SKIP() << "glTF validator not installed";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the validator reported errors (see output above)";
}

} // namespace
} // namespace qhost
