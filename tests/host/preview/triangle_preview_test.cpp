// Pictures of triangle meshes with baked maps: the normal map turns the
// shading normal in the mesh's tangent frame, occlusion darkens the ambient
// light, and a shared frame makes pictures of several meshes line up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/preview/level_comparison.h"
#include "host/preview/mesh_preview.h"

namespace qhost {
namespace {

// A square of side 2 facing the front-right view's eye, with tangents along
// its first side and UVs over the unit square.
TriangleMesh FacingSquare()
{
  const Vector normal = Vector(0.9, 0.7, 1.5).GetNormalized();
  const Vector tangent = Cross(Vector(0, 1, 0), normal).GetNormalized();
  const Vector bitangent = Cross(normal, tangent);
  TriangleMesh mesh;
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (const auto& c : corners)
  {
    const Vector p = tangent * (2.0 * c[0] - 1.0) + bitangent * (2.0 * c[1] - 1.0);
    mesh.positions.insert(mesh.positions.end(), {float(p.x), float(p.y), float(p.z)});
    mesh.normals.insert(mesh.normals.end(), {float(normal.x), float(normal.y), float(normal.z)});
    mesh.uvs.insert(mesh.uvs.end(), {c[0], c[1]});
    mesh.tangents.insert(mesh.tangents.end(), {float(tangent.x), float(tangent.y), float(tangent.z), 1.0f});
  }
  mesh.indices = {0, 1, 2, 0, 2, 3};
  return mesh;
}

// A 2 x 2 map of one colour.
Image Plain(std::uint16_t r, std::uint16_t g, std::uint16_t b)
{
  Image map;
  map.width = map.height = 2;
  map.samples = {r, g, b, r, g, b, r, g, b, r, g, b};
  return map;
}

Image Render(const TriangleMesh& mesh, const PreviewOptions& options, std::vector<std::uint8_t>* coverage = nullptr)
{
  return RenderTrianglePreview(mesh, options, coverage);
}

int Centre(const Image& picture)
{
  return picture.At(picture.width / 2, picture.height / 2, 0);
}

TEST(TrianglePreview, AFlatNormalMapChangesNothingAndATiltedOneTurnsTheShading)
{
  const TriangleMesh square = FacingSquare();
  PreviewOptions options;
  options.width = options.height = 64;
  const Image plain = Render(square, options);
  const Image flat = Plain(128, 128, 255);
  options.normalMap = &flat;
  EXPECT_NEAR(Centre(Render(square, options)), Centre(plain), 1);
  // Tilted towards the bitangent (up the square), nearer the key light above.
  const Image up = Plain(128, 230, 200);
  options.normalMap = &up;
  const int towardsLight = Centre(Render(square, options));
  const Image down = Plain(128, 26, 200);
  options.normalMap = &down;
  const int awayFromLight = Centre(Render(square, options));
  EXPECT_GT(towardsLight, awayFromLight + 10);
}

TEST(TrianglePreview, OcclusionDarkensTheAmbientLightOnly)
{
  TriangleMesh square = FacingSquare();
  // Turned away from every light, the square shows ambient light only.
  for (std::size_t i = 0; i < square.normals.size(); ++i)
    square.normals[i] = -square.normals[i];
  PreviewOptions options;
  options.width = options.height = 64;
  const Image open = Plain(255, 0, 0);
  const Image closed = Plain(0, 0, 0);
  options.occlusionMap = &open;
  const int lit = Centre(Render(square, options));
  options.occlusionMap = &closed;
  EXPECT_GT(lit, 20);
  EXPECT_LT(Centre(Render(square, options)), 2);
}

TEST(TrianglePreview, ASharedFrameLinesPicturesUp)
{
  const TriangleMesh square = FacingSquare();
  TriangleMesh half = square;
  for (float& p : half.positions)
    p *= 0.5f;
  PreviewOptions options;
  options.width = options.height = 64;
  options.frame = BoundingBox(square);
  std::vector<std::uint8_t> whole, smaller;
  Render(square, options, &whole);
  Render(half, options, &smaller);
  std::size_t wholeCount = 0, smallerCount = 0;
  for (std::size_t i = 0; i < whole.size(); ++i)
  {
    wholeCount += whole[i];
    smallerCount += smaller[i];
    EXPECT_FALSE(smaller[i] && !whole[i]) << "the half-size square lies inside the whole one's picture";
  }
  EXPECT_NEAR(double(smallerCount) / double(wholeCount), 0.25, 0.05);
}

TEST(TrianglePreview, ANormalMapNeedsTangents)
{
  TriangleMesh square = FacingSquare();
  square.tangents.clear();
  const Image flat = Plain(128, 128, 255);
  PreviewOptions options;
  options.normalMap = &flat;
  EXPECT_THAT([&] { RenderTrianglePreview(square, options); },
              ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("tangents")));
}

TEST(LevelComparison, ALevelEqualToTheDetailedMeshDiffersByNothing)
{
  const TriangleMesh square = FacingSquare();
  const Image flat = Plain(128, 128, 255);
  const Image open = Plain(255, 0, 0);
  const LevelShadingComparison same = CompareLevelShading(square, square, flat, open, 32);
  // 8 bits cannot say 0 exactly: 128 is 1/255 off the flat normal.
  EXPECT_LT(same.withMaps, 0.5);
  EXPECT_EQ(same.withoutMaps, 0.0);
  EXPECT_EQ(same.picture.width, 6 * 32);
  EXPECT_EQ(same.picture.height, 3 * 32);
  // A level whose normals lean away differs, and a map that turns them back
  // brings it back.
  TriangleMesh leaning = square;
  const Vector n = square.Normal(0), t = square.Tangent(0);
  const Vector leaned = (n + t * 0.6).GetNormalized();
  for (std::uint32_t v = 0; v < 4; ++v)
  {
    leaning.normals[3 * v] = float(leaned.x);
    leaning.normals[3 * v + 1] = float(leaned.y);
    leaning.normals[3 * v + 2] = float(leaned.z);
  }
  const Vector back = Vector(-0.6, 0.0, 1.0).GetNormalized();
  const Image correcting = Plain(std::uint16_t(std::lround((0.5 + 0.5 * back.x) * 255)), 128,
                                 std::uint16_t(std::lround((0.5 + 0.5 * back.z) * 255)));
  const LevelShadingComparison fixed = CompareLevelShading(square, leaning, correcting, open, 32);
  EXPECT_GT(fixed.withoutMaps, 5.0);
  EXPECT_LT(fixed.withMaps, fixed.withoutMaps / 4.0);
}

} // namespace
} // namespace qhost
