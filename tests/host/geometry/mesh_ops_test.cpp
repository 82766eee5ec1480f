#include "host/geometry/mesh_ops.h"

#include <cmath>

#include <gtest/gtest.h>

#include "host/geometry/primitives.h"
#include "mesh_check_support.h"

namespace qhost {
namespace {

Matrix Translation(const Vector& offset)
{
  Matrix m;
  m.off = offset;
  return m;
}

const NamedSelection* FindSelection(const MeshData& mesh, const std::string& name)
{
  for (const NamedSelection& selection : mesh.selections)
  {
    if (selection.name == name)
      return &selection;
  }
  return nullptr;
}

void ExpectUnit(const Vector& v) { EXPECT_NEAR(v.GetLength(), 1.0, 1e-12); }

TEST(AppendMesh, TransformsPointsAndOffsetsPolygons)
{
  MeshData dst = MakeCube(Vector(1.0), 1, 1, 1);
  const MeshData src = MakeCube(Vector(1.0), 1, 1, 1);
  AppendMesh(dst, src, Translation({3.0, 0.0, 0.0}));
  ASSERT_EQ(dst.points.size(), 16u);
  ASSERT_EQ(dst.polygons.size(), 12u);
  for (std::size_t i = 0; i < 8; ++i)
    EXPECT_EQ(dst.points[8 + i], src.points[i] + Vector(3.0, 0.0, 0.0));
  EXPECT_EQ(dst.polygons[6], CPolygon(src.polygons[0].a + 8, src.polygons[0].b + 8, src.polygons[0].c + 8,
                                      src.polygons[0].d + 8));
  EXPECT_TRUE(test::IsClosed(dst));
  EXPECT_EQ(dst.uvs.size(), 12u);
}

TEST(AppendMesh, MergesSelectionsWithTheSameName)
{
  MeshData dst = MakeCube(Vector(1.0), 1, 1, 1);
  dst.selections = {{"top", {2}}, {"mine", {0, 5}}};
  MeshData src = MakeCube(Vector(1.0), 1, 1, 1);
  src.selections = {{"top", {2, 3}}, {"theirs", {1}}};
  AppendMesh(dst, src, Matrix());
  ASSERT_EQ(dst.selections.size(), 3u);
  EXPECT_EQ(FindSelection(dst, "top")->polygons, (std::vector<Int32>{2, 8, 9}));
  EXPECT_EQ(FindSelection(dst, "mine")->polygons, (std::vector<Int32>{0, 5}));
  EXPECT_EQ(FindSelection(dst, "theirs")->polygons, (std::vector<Int32>{7}));
}

TEST(AppendMesh, ZeroUVsFillTheSideWithout)
{
  MeshData withoutUVs = MakeCube(Vector(1.0), 1, 1, 1);
  withoutUVs.uvs.clear();
  const MeshData withUVs = MakePlane(1.0, 1.0, 1, 1);

  MeshData dst = withoutUVs;
  AppendMesh(dst, withUVs, Matrix());
  ASSERT_TRUE(dst.HasUVs());
  EXPECT_EQ(dst.uvs[0].c, Vector());
  EXPECT_EQ(dst.uvs[6].c, withUVs.uvs[0].c);

  MeshData other = withUVs;
  AppendMesh(other, withoutUVs, Matrix());
  ASSERT_TRUE(other.HasUVs());
  EXPECT_EQ(other.uvs[0].c, withUVs.uvs[0].c);
  EXPECT_EQ(other.uvs[6].b, Vector());

  MeshData neither = withoutUVs;
  AppendMesh(neither, withoutUVs, Matrix());
  EXPECT_TRUE(neither.uvs.empty());
}

TEST(AppendMesh, MirroringKeepsNormalsOutwards)
{
  MeshData dst;
  Matrix mirror;
  mirror.v1 = {-1.0, 0.0, 0.0};
  AppendMesh(dst, MakeSphere(1.0, 7), mirror);
  EXPECT_TRUE(test::IsClosed(dst));
  EXPECT_TRUE(test::FacesAwayFromOrigin(dst));
  EXPECT_GT(test::SignedVolume(dst), 0.0);
  for (std::size_t i = 0; i < dst.polygons.size(); ++i)
  {
    if (dst.polygons[i].IsTriangle())
    {
      EXPECT_EQ(dst.uvs[i].c, dst.uvs[i].d);
    }
  }
}

TEST(CornerNormals, SharpCubeCornersTakeTheirFaceNormal)
{
  const MeshData cube = MakeCube(Vector(2.0), 2, 2, 2);
  const std::vector<Vector> normals = ComputeCornerNormals(cube, true, kPi / 4.0);
  ASSERT_EQ(normals.size(), cube.polygons.size() * 4);
  for (std::size_t i = 0; i < cube.polygons.size(); ++i)
  {
    const Vector face = test::WindingNormal(cube, cube.polygons[i]).GetNormalized();
    for (int corner = 0; corner < 4; ++corner)
      EXPECT_NEAR((normals[i * 4 + corner] - face).GetLength(), 0.0, 1e-12);
  }
}

TEST(CornerNormals, RepeatedFacesSmoothTogetherAndStaySharpAgainstTheirMirror)
{
  // Thousands of copies of one triangle, then as many of its mirror image: every
  // copy shares its edges with all the others, as in a file that repeats a face.
  constexpr int kCopies = 3000;
  MeshData mesh;
  mesh.points = {Vector(0.0, 0.0, 0.0), Vector(1.0, 0.0, 0.0), Vector(0.0, 1.0, 0.0)};
  for (int i = 0; i < kCopies; ++i)
    mesh.polygons.emplace_back(0, 1, 2);
  for (int i = 0; i < kCopies; ++i)
    mesh.polygons.emplace_back(0, 2, 1);
  const std::vector<Vector> normals = ComputeCornerNormals(mesh, true, kPi / 4.0);
  const Vector up = test::WindingNormal(mesh, mesh.polygons[0]).GetNormalized();
  for (std::size_t i = 0; i < mesh.polygons.size(); ++i)
  {
    const Vector expected = i < kCopies ? up : -up;
    for (int corner = 0; corner < 4; ++corner)
      ASSERT_NEAR((normals[i * 4 + corner] - expected).GetLength(), 0.0, 1e-12) << "polygon " << i;
  }
}

TEST(CornerNormals, WithoutLimitCubeCornersPointDiagonally)
{
  const MeshData cube = MakeCube(Vector(2.0), 1, 1, 1);
  const std::vector<Vector> normals = ComputeCornerNormals(cube, false, 0.0);
  for (std::size_t i = 0; i < cube.polygons.size(); ++i)
  {
    const CPolygon& p = cube.polygons[i];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    for (int corner = 0; corner < 4; ++corner)
    {
      const Vector expected = cube.points[points[corner]].GetNormalized();
      EXPECT_NEAR((normals[i * 4 + corner] - expected).GetLength(), 0.0, 1e-12);
    }
  }
}

TEST(CornerNormals, WideLimitSmoothsASphere)
{
  const MeshData sphere = MakeSphere(1.0, 24);
  const std::vector<Vector> normals = ComputeCornerNormals(sphere, true, kPi / 6.0);
  for (std::size_t i = 0; i < sphere.polygons.size(); ++i)
  {
    const CPolygon& p = sphere.polygons[i];
    const Int32 points[4] = {p.a, p.b, p.c, p.d};
    for (int corner = 0; corner < 4; ++corner)
    {
      ExpectUnit(normals[i * 4 + corner]);
      // Smoothed normals stay within ~4.6 degrees of the radius (area weighting
      // near the poles is lopsided); flat ones are 7.5 degrees or more off.
      EXPECT_GT(Dot(normals[i * 4 + corner], sphere.points[points[corner]]), std::cos(0.08));
    }
    if (p.IsTriangle())
    {
      EXPECT_EQ(normals[i * 4 + 3], normals[i * 4 + 2]);
    }
  }
}

TEST(CornerNormals, OpenBordersAndEmptyMeshes)
{
  const MeshData plane = MakePlane(2.0, 1.0, 3, 2);
  for (const Vector& n : ComputeCornerNormals(plane, true, 0.1))
    EXPECT_NEAR((n - Vector(0.0, 1.0, 0.0)).GetLength(), 0.0, 1e-12);
  EXPECT_TRUE(ComputeCornerNormals(MeshData(), false, 0.0).empty());
}

} // namespace
} // namespace qhost
