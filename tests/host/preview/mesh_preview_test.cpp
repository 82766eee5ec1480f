#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/preview/mesh_preview.h"

namespace qhost {
namespace {

// A box longer along x than along z with one corner (front right top) pulled
// out, so no two views see the same outline.
MeshData Box()
{
  MeshData mesh;
  for (int i = 0; i < 8; ++i)
    mesh.points.push_back(Vector(i & 1 ? 3.0 : -3.0, i & 2 ? 1.0 : -1.0, i & 4 ? 0.5 : -0.5));
  mesh.points[7] = Vector(4.0, 1.8, 1.5);
  mesh.polygons = {CPolygon(0, 2, 3, 1), CPolygon(4, 5, 7, 6), CPolygon(0, 1, 5, 4),
                   CPolygon(2, 6, 7, 3), CPolygon(0, 4, 6, 2), CPolygon(1, 3, 7, 5)};
  return mesh;
}

std::vector<Vector> FlatNormals(const MeshData& mesh)
{
  std::vector<Vector> normals;
  for (const CPolygon& p : mesh.polygons)
  {
    const Vector n = Cross(mesh.points[size_t(p.b)] - mesh.points[size_t(p.d)],
                           mesh.points[size_t(p.c)] - mesh.points[size_t(p.a)]).GetNormalized();
    normals.insert(normals.end(), 4, n);
  }
  return normals;
}

// The samples of columns [x0, x0 + width) of a picture.
std::vector<std::uint16_t> Columns(const Image& image, Int32 x0, Int32 width)
{
  std::vector<std::uint16_t> samples;
  for (Int32 y = 0; y < image.height; ++y)
    for (Int32 x = x0; x < x0 + width; ++x)
      for (Int32 c = 0; c < 3; ++c)
        samples.push_back(image.samples[(size_t(y) * size_t(image.width) + size_t(x)) * 3 + size_t(c)]);
  return samples;
}

TEST(MeshPreview, ViewStripHoldsTheThreeViewsSideBySide)
{
  const MeshData mesh = Box();
  const std::vector<Vector> normals = FlatNormals(mesh);
  PreviewOptions options;
  options.width = 64;
  options.height = 48;
  const Image strip = RenderMeshViewStrip(mesh, normals, options);
  ASSERT_EQ(strip.width, 3 * 64);
  ASSERT_EQ(strip.height, 48);

  std::vector<std::vector<std::uint16_t>> views;
  for (PreviewView view : {PreviewView::FrontRight, PreviewView::BackLeft, PreviewView::Top})
  {
    options.view = view;
    views.push_back(Columns(RenderMeshPreview(mesh, normals, options), 0, 64));
  }
  for (Int32 k = 0; k < 3; ++k)
    EXPECT_EQ(Columns(strip, 64 * k, 64), views[size_t(k)]) << "view " << k;
  EXPECT_NE(views[0], views[1]);
  EXPECT_NE(views[0], views[2]);
}

TEST(MeshPreview, StripTooWideIsRefused)
{
  PreviewOptions options;
  options.width = 1 << 30;
  EXPECT_THAT([&] { RenderMeshViewStrip(Box(), FlatNormals(Box()), options); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr("too wide")));
}

} // namespace
} // namespace qhost
