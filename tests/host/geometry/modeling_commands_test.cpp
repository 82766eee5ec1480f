// Current state, join and subdivide on small named shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/core/console.h"
#include "host/geometry/object_node.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/primitive_objects.h"
#include "host/geometry/primitives.h"
#include "host/geometry/subdivide.h"
#include "host/runtime/host.h"
#include "mesh_check_support.h"

namespace {

using qhost::AsObject;
using qhost::MeshData;
using qhost::ReadPolygonMesh;

class ModelingCommands : public ::testing::Test
{
protected:
  void SetUp() override { qhost::Host::Instance(); }
};

Matrix Translation(const Vector& v)
{
  Matrix m;
  m.off = v;
  return m;
}

BaseObject* RunSingle(Int32 command, BaseDocument* doc, BaseObject* op, BaseContainer* bc)
{
  ModelingCommandData md;
  md.doc = doc;
  md.op = op;
  md.bc = bc;
  if (!SendModelingCommand(command, md) || md.result.size() != 1)
  {
    for (BaseObject* r : md.result)
      BaseObject::Free(r);
    return nullptr;
  }
  return md.result.front();
}

// A polygon object from mesh, named, with a polygon selection tag "name" of
// the given polygons.
BaseObject* NamedShape(const MeshData& mesh, const String& name, const String& selection,
                       const std::vector<Int32>& selected)
{
  MeshData withSelection = mesh;
  withSelection.selections.push_back({selection, selected});
  BaseObject* op = qhost::NewPolygonObject(withSelection);
  op->SetName(name);
  return op;
}

std::vector<Int32> SelectionOf(const MeshData& mesh, const std::string& name)
{
  for (const qhost::NamedSelection& s : mesh.selections)
    if (s.name == name)
      return s.polygons;
  return {};
}


TEST_F(ModelingCommands, CurrentStateOfANullWithTwoCubes)
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* group = BaseObject::Alloc(Onull);
  group->SetName("group");
  BaseObject* left = BaseObject::Alloc(Ocube);
  left->SetName("left");
  left->SetMl(Translation(Vector(-300.0, 0.0, 0.0)));
  BaseObject* right = BaseObject::Alloc(Ocube);
  right->SetName("right");
  right->SetParameter(DescID(qhost::kCubeSegmentsX), GeData(Int32(3)), DESCFLAGS_SET::NONE);
  doc->InsertObject(group, nullptr, nullptr);
  doc->InsertObject(right, group, nullptr);
  doc->InsertObject(left, group, nullptr);

  BaseObject* state = RunSingle(MCOMMAND_CURRENTSTATETOOBJECT, doc, group, nullptr);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->GetType(), Onull);
  EXPECT_EQ(state->GetName(), "group");
  EXPECT_EQ(state->GetUp(), nullptr);
  BaseObject* a = state->GetDown();
  ASSERT_NE(a, nullptr);
  BaseObject* b = a->GetNext();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetNext(), nullptr);
  EXPECT_EQ(a->GetType(), Opolygon);
  EXPECT_EQ(a->GetName(), "left");
  EXPECT_EQ(a->GetMl(), left->GetMl());
  EXPECT_EQ(b->GetName(), "right");
  EXPECT_EQ(ToPoly(a)->GetPolygonCount(), 6);
  EXPECT_EQ(ToPoly(b)->GetPolygonCount(), 2 * (3 + 3 + 1));
  EXPECT_NE(a->GetTag(Tuvw), nullptr);
  const MeshData mesh = ReadPolygonMesh(*AsObject(b));
  EXPECT_TRUE(qhost::test::IsClosed(mesh));
  EXPECT_TRUE(mesh.HasUVs());
  // The originals stay in the document, untouched.
  EXPECT_EQ(left->GetUp(), group);
  EXPECT_EQ(left->GetDocument(), doc);
  BaseObject::Free(state);
  BaseDocument::Free(doc);
}

TEST_F(ModelingCommands, CurrentStateWorksOutsideADocument)
{
  BaseObject* sphere = BaseObject::Alloc(Osphere);
  BaseObject* state = RunSingle(MCOMMAND_CURRENTSTATETOOBJECT, nullptr, sphere, nullptr);
  ASSERT_NE(state, nullptr);
  const MeshData mesh = ReadPolygonMesh(*AsObject(state));
  const MeshData expected = qhost::MakeSphere(100.0, 24);
  EXPECT_EQ(mesh.points, expected.points);
  EXPECT_EQ(mesh.polygons, expected.polygons);
  BaseObject::Free(state);
  BaseObject::Free(sphere);
}

TEST_F(ModelingCommands, JoinMergesSameNamedSelectionsAndKeepsTheMatrix)
{
  const MeshData quad = qhost::MakePlane(2.0, 2.0, 1, 1);
  BaseObject* group = BaseObject::Alloc(Onull);
  group->SetMl(Translation(Vector(100.0, 0.0, 0.0)));
  BaseObject* a = NamedShape(quad, "a", "rim", {0});
  a->SetMl(Translation(Vector(0.0, 0.0, 10.0)));
  BaseObject* b = NamedShape(qhost::MakePlane(2.0, 2.0, 2, 1), "b", "rim", {1});
  b->SetMl(Translation(Vector(0.0, 5.0, 0.0)));
  BaseObject* noUVs = qhost::NewPolygonObject(MeshData{quad.points, quad.polygons, {}, {}});
  b->InsertUnder(group);
  a->InsertUnder(group);
  noUVs->InsertUnderLast(a);

  BaseContainer bc;
  bc.SetBool(MDATA_JOIN_MERGE_SELTAGS, true);
  BaseObject* joined = RunSingle(MCOMMAND_JOIN, nullptr, group, &bc);
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined->GetType(), Opolygon);
  EXPECT_EQ(joined->GetMl(), group->GetMg());
  const MeshData mesh = ReadPolygonMesh(*AsObject(joined));
  ASSERT_EQ(mesh.polygons.size(), 1u + 1u + 2u);
  ASSERT_EQ(mesh.points.size(), 4u + 4u + 6u);
  // Points are in the joined object's space: the group's offset is not in them.
  EXPECT_EQ(mesh.points[0], quad.points[0] + Vector(0.0, 0.0, 10.0));
  EXPECT_EQ(mesh.points[4], quad.points[0] + Vector(0.0, 0.0, 10.0));
  EXPECT_EQ(mesh.points[8].y, 5.0);
  ASSERT_EQ(mesh.selections.size(), 1u);
  EXPECT_EQ(SelectionOf(mesh, "rim"), (std::vector<Int32>{0, 3}));
  ASSERT_TRUE(mesh.HasUVs());
  EXPECT_EQ(mesh.uvs[1].a, Vector()); // the object without UVs
  EXPECT_EQ(mesh.uvs[0].a, quad.uvs[0].a);
  BaseObject::Free(joined);

  bc.SetBool(MDATA_JOIN_MERGE_SELTAGS, false);
  joined = RunSingle(MCOMMAND_JOIN, nullptr, group, &bc);
  ASSERT_NE(joined, nullptr);
  const MeshData apart = ReadPolygonMesh(*AsObject(joined));
  EXPECT_EQ(SelectionOf(apart, "rim"), (std::vector<Int32>{0}));
  EXPECT_EQ(SelectionOf(apart, "rim.1"), (std::vector<Int32>{3}));
  BaseObject::Free(joined);
  BaseObject::Free(group);
}

TEST_F(ModelingCommands, JoinOfAHierarchyWithoutPolygonsIsEmpty)
{
  BaseObject* group = BaseObject::Alloc(Onull);
  BaseObject::Alloc(Onull)->InsertUnder(group);
  BaseObject* joined = RunSingle(MCOMMAND_JOIN, nullptr, group, nullptr);
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined->GetType(), Opolygon);
  EXPECT_EQ(ToPoly(joined)->GetPointCount(), 0);
  EXPECT_EQ(ToPoly(joined)->GetPolygonCount(), 0);
  BaseObject::Free(joined);
  BaseObject::Free(group);
}

TEST_F(ModelingCommands, SubdivideKeepsSelectionsOnChildFacesAndInterpolatesUVs)
{
  const MeshData plane = qhost::MakePlane(4.0, 4.0, 2, 1);
  BaseObject* op = NamedShape(plane, "plane", "left", {0});
  BaseContainer bc;
  bc.SetBool(MDATA_SUBDIVIDE_HYPER, false);
  bc.SetFloat(MDATA_SUBDIVIDE_ANGLE, kPi);
  bc.SetInt32(MDATA_SUBDIVIDE_SUB, 2);
  bc.SetInt32(MDATA_SUBDIVIDE_MODE, qhost::kSubdivideModeKeepBoundaries);
  ModelingCommandData md;
  md.op = op;
  md.bc = &bc;
  ASSERT_TRUE(SendModelingCommand(MCOMMAND_SUBDIVIDE, md));
  EXPECT_TRUE(md.result.empty());

  const MeshData mesh = ReadPolygonMesh(*AsObject(op));
  ASSERT_EQ(mesh.polygons.size(), 2u * 16u);
  const std::vector<Int32> left = SelectionOf(mesh, "left");
  ASSERT_EQ(left.size(), 16u);
  // Linear subdivision keeps points on the original faces: every child face of
  // the selection lies in the left half (x <= 0), every other one in the right.
  for (Int32 p = 0; p < Int32(mesh.polygons.size()); ++p)
  {
    const bool selected = std::binary_search(left.begin(), left.end(), p);
    const Vector c = qhost::test::Centroid(mesh, mesh.polygons[size_t(p)]);
    EXPECT_EQ(selected, c.x < 0.0) << p;
  }
  // UVs follow the points: on a plane u grows with x and v with z.
  ASSERT_TRUE(mesh.HasUVs());
  for (size_t p = 0; p < mesh.polygons.size(); ++p)
  {
    const Vector& point = mesh.points[size_t(mesh.polygons[p].a)];
    EXPECT_NEAR(mesh.uvs[p].a.x, (point.x + 2.0) / 4.0, 1e-12);
    EXPECT_NEAR(mesh.uvs[p].a.y, (point.z + 2.0) / 4.0, 1e-12);
  }
  BaseObject::Free(op);
}

TEST_F(ModelingCommands, SubdivideRefusalLeavesTheMeshUnchanged)
{
  const MeshData cube = qhost::MakeCube(Vector(2.0), 4, 4, 4);
  BaseObject* op = NamedShape(cube, "box", "all", {0, 1, 2});
  const MeshData before = ReadPolygonMesh(*AsObject(op));
  const UInt32 dirty = op->GetDirty(DIRTYFLAGS_DATA);
  BaseContainer bc;
  bc.SetInt32(MDATA_SUBDIVIDE_SUB, 14);
  ASSERT_GT(qhost::SubdividedPolygonCount(before, 14), qhost::kMaxSubdividedPolygons);
  qhost::Console::Instance().Clear();
  ModelingCommandData md;
  md.op = op;
  md.bc = &bc;
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_SUBDIVIDE, md));
  const MeshData after = ReadPolygonMesh(*AsObject(op));
  EXPECT_EQ(after.points, before.points);
  EXPECT_EQ(after.polygons, before.polygons);
  EXPECT_EQ(SelectionOf(after, "all"), SelectionOf(before, "all"));
  EXPECT_EQ(op->GetDirty(DIRTYFLAGS_DATA), dirty);
  const std::vector<String> lines = qhost::Console::Instance().Texts();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("box"), String::npos);
  EXPECT_NE(lines[0].find("Subdivide"), String::npos);

  // A broken polygon is refused the same way.
  ToPoly(op)->GetPolygonW()[0] = CPolygon(0, 0, 1, 2);
  bc.SetInt32(MDATA_SUBDIVIDE_SUB, 1);
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_SUBDIVIDE, md));
  EXPECT_EQ(ToPoly(op)->GetPolygonCount(), Int32(before.polygons.size()));
  EXPECT_EQ(qhost::Console::Instance().Texts().size(), 2u);
  BaseObject::Free(op);
}

TEST_F(ModelingCommands, NegativeLevelsLeaveTheGeometry)
{
  const MeshData cube = qhost::MakeCube(Vector(2.0), 1, 1, 1);
  BaseObject* op = NamedShape(cube, "box", "top", {4});
  BaseContainer bc;
  bc.SetInt32(MDATA_SUBDIVIDE_SUB, -3);
  ModelingCommandData md;
  md.op = op;
  md.bc = &bc;
  ASSERT_TRUE(SendModelingCommand(MCOMMAND_SUBDIVIDE, md));
  const MeshData after = ReadPolygonMesh(*AsObject(op));
  EXPECT_EQ(after.points, cube.points);
  EXPECT_EQ(after.polygons, cube.polygons);
  EXPECT_EQ(SelectionOf(after, "top"), (std::vector<Int32>{4}));
  BaseObject::Free(op);
}

TEST_F(ModelingCommands, UnknownCommandsAndWrongObjectsFail)
{
  BaseObject* null = BaseObject::Alloc(Onull);
  ModelingCommandData md;
  md.op = null;
  EXPECT_FALSE(SendModelingCommand(9999, md));
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_SUBDIVIDE, md));
  md.op = nullptr;
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_CURRENTSTATETOOBJECT, md));
  EXPECT_FALSE(SendModelingCommand(MCOMMAND_JOIN, md));
  EXPECT_TRUE(md.result.empty());
  BaseObject::Free(null);
}

} // namespace
