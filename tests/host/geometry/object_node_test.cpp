// Objects and tags of the host: matrices through parents, tag branches, the
// Phong tag, geometry with its dirty counters, and cloning.
#include <gtest/gtest.h>

#include "host/geometry/cache_pass.h"
#include "host/geometry/object_node.h"
#include "host/geometry/primitive_objects.h"
#include "host/geometry/tag_nodes.h"
#include "host/runtime/host.h"

namespace {

class ObjectNodes : public ::testing::Test
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

Matrix ScaleX(Float s)
{
  Matrix m;
  m.v1 = Vector(s, 0.0, 0.0);
  return m;
}

TEST_F(ObjectNodes, BuiltinTypesHaveTheirInfo)
{
  BaseObject* null = BaseObject::Alloc(Onull);
  BaseObject* poly = BaseObject::Alloc(Opolygon);
  BaseObject* cube = BaseObject::Alloc(Ocube);
  ASSERT_TRUE(null && poly && cube);
  EXPECT_EQ(null->GetInfo(), 0);
  EXPECT_EQ(poly->GetInfo(), OBJECT_POLYGONOBJECT);
  EXPECT_EQ(cube->GetInfo(), OBJECT_GENERATOR);
  EXPECT_EQ(cube->GetDataInstance()->GetVector(qhost::kCubeSize), Vector(200.0));
  EXPECT_EQ(cube->GetDataInstance()->GetInt32(qhost::kCubeSegmentsY), 1);
  EXPECT_EQ(BaseObject::Alloc(123456789), nullptr);
  BaseObject::Free(null);
  BaseObject::Free(poly);
  BaseObject::Free(cube);
}

TEST_F(ObjectNodes, GlobalMatrixComposesParents)
{
  BaseDocument* doc = BaseDocument::Alloc();
  BaseObject* parent = BaseObject::Alloc(Onull);
  BaseObject* child = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  doc->InsertObject(child, parent, nullptr);
  parent->SetMl(Translation(Vector(10.0, 0.0, 0.0)) * ScaleX(2.0));
  child->SetMl(Translation(Vector(1.0, 2.0, 3.0)));
  const Vector world = child->GetMg() * Vector(0.0);
  EXPECT_EQ(world, Vector(12.0, 2.0, 3.0));
  EXPECT_EQ(parent->GetMg(), parent->GetMl());

  // The matrix counter moves with SetMl, not the data counter.
  const UInt32 data = child->GetDirty(DIRTYFLAGS_DATA);
  const UInt32 matrix = child->GetDirty(DIRTYFLAGS_MATRIX);
  child->SetMl(Matrix());
  EXPECT_EQ(child->GetDirty(DIRTYFLAGS_DATA), data);
  EXPECT_GT(child->GetDirty(DIRTYFLAGS_MATRIX), matrix);
  BaseDocument::Free(doc);
}

TEST_F(ObjectNodes, TagBranchOrderAndLookup)
{
  BaseObject* op = BaseObject::Alloc(Opolygon);
  BaseTag* first = op->MakeTag(Tpolygonselection, nullptr);
  BaseTag* uvw = op->MakeTag(Tuvw, first);
  BaseTag* second = BaseTag::Alloc(Tpolygonselection);
  op->InsertTag(second, uvw);
  BaseTag* front = BaseTag::Alloc(Tphong);
  op->InsertTag(front, nullptr);

  EXPECT_EQ(op->GetFirstTag(), front);
  EXPECT_EQ(front->GetNext(), first);
  EXPECT_EQ(first->GetNext(), uvw);
  EXPECT_EQ(uvw->GetNext(), second);
  EXPECT_EQ(op->GetTag(Tpolygonselection, 0), first);
  EXPECT_EQ(op->GetTag(Tpolygonselection, 1), second);
  EXPECT_EQ(op->GetTag(Tpolygonselection, 2), nullptr);
  EXPECT_EQ(second->GetObject(), op);
  EXPECT_EQ(second->GetMain(), op);

  op->KillTag(Tpolygonselection, 0);
  EXPECT_EQ(op->GetTag(Tpolygonselection, 0), second);
  EXPECT_EQ(front->GetNext(), uvw);
  BaseObject::Free(op);
}

TEST_F(ObjectNodes, SetPhongCreatesUpdatesAndRemovesTheTag)
{
  BaseObject* op = BaseObject::Alloc(Onull);
  ASSERT_TRUE(op->SetPhong(true, true, 0.5));
  BaseTag* phong = op->GetTag(Tphong);
  ASSERT_NE(phong, nullptr);
  EXPECT_TRUE(phong->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT));
  EXPECT_DOUBLE_EQ(phong->GetDataInstance()->GetFloat(PHONGTAG_PHONG_ANGLE), 0.5);

  ASSERT_TRUE(op->SetPhong(true, false, 1.25));
  EXPECT_EQ(op->GetTag(Tphong), phong);
  EXPECT_EQ(op->GetTag(Tphong, 1), nullptr);
  EXPECT_FALSE(phong->GetDataInstance()->GetBool(PHONGTAG_PHONG_ANGLELIMIT, true));
  EXPECT_DOUBLE_EQ(phong->GetDataInstance()->GetFloat(PHONGTAG_PHONG_ANGLE), 1.25);

  ASSERT_TRUE(op->SetPhong(false, false, 0.0));
  EXPECT_EQ(op->GetTag(Tphong), nullptr);
  BaseObject::Free(op);
}

TEST_F(ObjectNodes, GeometryWritesRaiseTheDataCounter)
{
  PolygonObject* op = PolygonObject::Alloc(4, 1);
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(op->GetPointCount(), 4);
  EXPECT_EQ(op->GetPolygonCount(), 1);
  EXPECT_EQ(op->GetPointR()[3], Vector());
  EXPECT_EQ(op->GetPolygonR()[0], CPolygon());
  const UInt32 before = op->GetDirty(DIRTYFLAGS_DATA);
  op->GetPointW()[2] = Vector(1.0, 2.0, 3.0);
  EXPECT_GT(op->GetDirty(DIRTYFLAGS_DATA), before);
  EXPECT_EQ(op->GetPointR()[2], Vector(1.0, 2.0, 3.0));

  auto* uvw = static_cast<UVWTag*>(op->MakeTag(Tuvw, nullptr));
  EXPECT_EQ(uvw->GetDataCount(), 1);
  EXPECT_TRUE(op->ResizeObject(6, 3));
  EXPECT_EQ(op->GetPointR()[2], Vector(1.0, 2.0, 3.0));
  EXPECT_EQ(uvw->GetDataCount(), 3);
  EXPECT_FALSE(op->ResizeObject(-1, 0));
  EXPECT_EQ(op->GetPointCount(), 6);
  EXPECT_EQ(PolygonObject::Alloc(-1, 0), nullptr);
  BaseObject* object = op;
  BaseObject::Free(object);
}

TEST_F(ObjectNodes, CloneCopiesGeometryTagsAndChildrenButNotTheCache)
{
  BaseDocument* doc = BaseDocument::Alloc();
  PolygonObject* op = PolygonObject::Alloc(3, 1);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2);
  op->GetPointW()[1] = Vector(5.0, 0.0, 0.0);
  op->SetMl(Translation(Vector(0.0, 7.0, 0.0)));
  op->SetName("tri");
  auto* sel = static_cast<SelectionTag*>(op->MakeTag(Tpolygonselection, nullptr));
  sel->SetName("top");
  sel->GetBaseSelect()->Select(0);
  auto* uvw = static_cast<UVWTag*>(op->MakeTag(Tuvw, sel));
  uvw->SetSlow(0, UVWStruct{Vector(0.1), Vector(0.2), Vector(0.3), Vector(0.3)});
  BaseObject* cube = BaseObject::Alloc(Ocube);
  doc->InsertObject(op, nullptr, nullptr);
  doc->InsertObject(cube, op, nullptr);
  qhost::BuildCaches(doc);
  ASSERT_NE(cube->GetCache(), nullptr);

  auto* copy = static_cast<PolygonObject*>(op->GetClone(COPYFLAGS::NONE, nullptr));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetName(), "tri");
  EXPECT_EQ(copy->GetMl(), op->GetMl());
  EXPECT_EQ(copy->GetPointR()[1], Vector(5.0, 0.0, 0.0));
  EXPECT_EQ(copy->GetPolygonR()[0], CPolygon(0, 1, 2));
  auto* selCopy = static_cast<SelectionTag*>(copy->GetTag(Tpolygonselection));
  ASSERT_NE(selCopy, nullptr);
  EXPECT_NE(selCopy, sel);
  EXPECT_EQ(selCopy->GetName(), "top");
  EXPECT_TRUE(selCopy->GetBaseSelect()->IsSelected(0));
  EXPECT_EQ(static_cast<UVWTag*>(copy->GetTag(Tuvw))->GetSlow(0).b, Vector(0.2));
  ASSERT_NE(copy->GetDown(), nullptr);
  EXPECT_EQ(copy->GetDown()->GetType(), Ocube);
  EXPECT_EQ(copy->GetDown()->GetCache(), nullptr);

  // Changing the copy leaves the original alone.
  selCopy->GetBaseSelect()->DeselectAll();
  EXPECT_TRUE(sel->GetBaseSelect()->IsSelected(0));

  auto* flat = static_cast<BaseObject*>(op->GetClone(COPYFLAGS::NO_HIERARCHY, nullptr));
  EXPECT_EQ(flat->GetDown(), nullptr);
  EXPECT_NE(flat->GetTag(Tuvw), nullptr);

  BaseObject* object = copy;
  BaseObject::Free(object);
  BaseObject::Free(flat);
  BaseDocument::Free(doc);
}

TEST_F(ObjectNodes, UVWTagIgnoresOutOfRangePolygons)
{
  qhost::UVWTagNode tag;
  tag.Resize(2);
  tag.SetSlow(5, UVWStruct{Vector(1.0), Vector(1.0), Vector(1.0), Vector(1.0)});
  tag.SetSlow(-1, UVWStruct{Vector(1.0), Vector(1.0), Vector(1.0), Vector(1.0)});
  EXPECT_EQ(tag.GetSlow(5).a, Vector());
  EXPECT_EQ(tag.GetSlow(0).a, Vector());
  EXPECT_EQ(tag.GetObject(), nullptr);
}

} // namespace
