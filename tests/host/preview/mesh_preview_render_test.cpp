// The preview picture: framed in the middle, shaded by its normals, coloured
// by its texture only where the mesh has UVs, and refused at sizes the host
// cannot make.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/preview/mesh_preview.h"

namespace qhost {
namespace {

// A unit cube around the origin; every quad's UVs cover the unit square.
MeshData Cube(bool withUvs)
{
  MeshData mesh;
  for (int i = 0; i < 8; ++i)
    mesh.points.push_back(Vector(i & 1 ? 1.0 : -1.0, i & 2 ? 1.0 : -1.0, i & 4 ? 1.0 : -1.0));
  mesh.polygons = {CPolygon(0, 2, 3, 1), CPolygon(4, 5, 7, 6), CPolygon(0, 1, 5, 4),
                   CPolygon(2, 6, 7, 3), CPolygon(0, 4, 6, 2), CPolygon(1, 3, 7, 5)};
  if (withUvs)
    mesh.uvs.assign(mesh.polygons.size(), UVWStruct{Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)});
  return mesh;
}

// Outward face normals, four per polygon.
std::vector<Vector> CornerNormals(const MeshData& mesh)
{
  std::vector<Vector> normals;
  for (const CPolygon& p : mesh.polygons)
  {
    const Vector n =
        Cross(mesh.points[size_t(p.b)] - mesh.points[size_t(p.a)], mesh.points[size_t(p.c)] - mesh.points[size_t(p.a)])
            .GetNormalized();
    normals.insert(normals.end(), 4, n);
  }
  return normals;
}

struct Rgb
{
  int r, g, b;
};

Rgb Pixel(const Image& picture, Int32 x, Int32 y)
{
  return {picture.At(x, y, 0), picture.At(x, y, 1), picture.At(x, y, 2)};
}

Image Render(const MeshData& mesh, const PreviewOptions& options)
{
  return RenderMeshPreview(mesh, CornerNormals(mesh), options);
}

TEST(MeshPreview, TheMeshIsFramedInTheMiddleOfACoolBackground)
{
  PreviewOptions options;
  options.width = 96;
  options.height = 64;
  const Image picture = Render(Cube(false), options);
  ASSERT_EQ(picture.width, 96);
  ASSERT_EQ(picture.height, 64);
  ASSERT_EQ(picture.channels, 3);
  // The background fades from top to bottom but is the same across a row,
  // and bluish, where the warm grey mesh is reddish.
  for (Int32 y : {0, 63})
  {
    const Rgb left = Pixel(picture, 0, y);
    const Rgb right = Pixel(picture, 95, y);
    EXPECT_EQ(left.r, right.r);
    EXPECT_EQ(left.b, right.b);
    EXPECT_GT(left.b, left.r);
  }
  const Rgb centre = Pixel(picture, 48, 32);
  EXPECT_GT(centre.r, centre.b) << "the mesh covers the middle";
}

TEST(MeshPreview, FacesTurnedDifferentlyAreShadedDifferently)
{
  PreviewOptions options;
  options.width = options.height = 128;
  const Image picture = Render(Cube(false), options);
  // Count the distinct shades inside the picture: a lit cube shows several faces.
  std::vector<int> shades;
  for (Int32 y = 0; y < picture.height; y += 4)
    for (Int32 x = 0; x < picture.width; x += 4)
    {
      const int shade = picture.At(x, y, 0);
      if (std::find(shades.begin(), shades.end(), shade) == shades.end())
        shades.push_back(shade);
    }
  EXPECT_GE(shades.size(), 3u) << "background plus at least two faces";
}

TEST(MeshPreview, ATextureColoursOnlyMeshesWithUvs)
{
  Image red = MakeImage(4, 4, 3, 8);
  for (Int32 y = 0; y < 4; ++y)
    for (Int32 x = 0; x < 4; ++x)
      red.At(x, y, 0) = 255;
  PreviewOptions options;
  options.width = options.height = 64;
  options.texture = &red;

  const Rgb textured = Pixel(Render(Cube(true), options), 32, 32);
  EXPECT_GT(textured.r, 4 * textured.g);
  EXPECT_GT(textured.r, 4 * textured.b);

  const Rgb plain = Pixel(Render(Cube(false), options), 32, 32);
  EXPECT_GT(2 * plain.g, plain.r) << "without UVs the texture is ignored";
  EXPECT_GT(2 * plain.b, plain.r);
}

TEST(MeshPreview, MissingNormalsStillGiveAPicture)
{
  PreviewOptions options;
  options.width = options.height = 32;
  const Image picture = RenderMeshPreview(Cube(false), {}, options);
  EXPECT_EQ(picture.samples.size(), size_t(32 * 32 * 3));
}

TEST(MeshPreview, SizesOutsideTheSupportedRangeAreRefused)
{
  for (Int32 width : {0, -5, kMaxImageSide + 1})
  {
    PreviewOptions options;
    options.width = width;
    EXPECT_THAT([&] { RenderMeshPreview(Cube(false), {}, options); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr("size")))
      << width;
  }
}

} // namespace
} // namespace qhost
