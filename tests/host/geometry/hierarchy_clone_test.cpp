// The change check behind GetAndCheckHierarchyClone, the cache pass and the
// scene mesh exporters read.
#include <gtest/gtest.h>

#include "host/geometry/cache_pass.h"
#include "host/geometry/object_node.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/primitive_objects.h"
#include "host/geometry/primitives.h"
#include "host/runtime/host.h"
#include "mesh_check_support.h"

namespace {

using qhost::AsObject;

Matrix Translation(const Vector& v)
{
  Matrix m;
  m.off = v;
  return m;
}

// A generator (a sphere primitive stands in for a plug-in) whose input is a
// null holding a cube, in a document.
class HierarchyClone : public ::testing::Test
{
protected:
  void SetUp() override
  {
    qhost::Host::Instance();
    doc = BaseDocument::Alloc();
    generator = BaseObject::Alloc(Osphere);
    source = BaseObject::Alloc(Onull);
    cube = BaseObject::Alloc(Ocube);
    doc->InsertObject(generator, nullptr, nullptr);
    doc->InsertObject(source, generator, nullptr);
    doc->InsertObject(cube, source, nullptr);
    qhost::BuildCaches(doc);
  }
  void TearDown() override { BaseDocument::Free(doc); }

  // One check: returns whether it reported a change; frees a returned clone.
  bool Check()
  {
    const qhost::HostHierarchyHelp hh(doc);
    Bool dirty = false;
    BaseObject* result =
        generator->GetAndCheckHierarchyClone(&hh, source, HIERARCHYCLONEFLAGS::ASPOLY, &dirty, nullptr, false);
    EXPECT_NE(result, nullptr);
    if (dirty)
      BaseObject::Free(result);
    else
      EXPECT_EQ(result, generator->GetCache());
    return dirty;
  }

  BaseDocument* doc = nullptr;
  BaseObject* generator = nullptr;
  BaseObject* source = nullptr;
  BaseObject* cube = nullptr;
};

TEST_F(HierarchyClone, FirstCallIsDirtyAndTheSecondIsNot)
{
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
  EXPECT_FALSE(Check());
}

TEST_F(HierarchyClone, TheCloneIsThePolygonStateOfTheSource)
{
  source->SetMl(Translation(Vector(1.0, 2.0, 3.0)));
  cube->SetMl(Translation(Vector(0.0, 50.0, 0.0)));
  const qhost::HostHierarchyHelp hh(doc);
  Bool dirty = false;
  BaseObject* clone =
      generator->GetAndCheckHierarchyClone(&hh, source, HIERARCHYCLONEFLAGS::ASPOLY, &dirty, nullptr, false);
  ASSERT_TRUE(dirty);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetType(), Onull);
  EXPECT_EQ(clone->GetMl(), source->GetMl());
  EXPECT_EQ(clone->GetUp(), nullptr);
  BaseObject* polygon = clone->GetDown();
  ASSERT_NE(polygon, nullptr);
  EXPECT_EQ(polygon->GetType(), Opolygon);
  EXPECT_EQ(polygon->GetMl(), cube->GetMl());
  EXPECT_EQ(qhost::ReadPolygonMesh(*AsObject(polygon)).points, qhost::MakeCube(Vector(200.0), 1, 1, 1).points);
  BaseObject::Free(clone);
  // Without a source there is nothing to clone.
  Bool unused = false;
  EXPECT_EQ(generator->GetAndCheckHierarchyClone(&hh, nullptr, HIERARCHYCLONEFLAGS::ASPOLY, &unused, nullptr, false),
            nullptr);
  EXPECT_FALSE(unused);
}

TEST_F(HierarchyClone, GeneratorParameterChangesCount)
{
  ASSERT_TRUE(Check());
  ASSERT_FALSE(Check());
  generator->SetParameter(DescID(qhost::kSphereRadius), GeData(50.0), DESCFLAGS_SET::NONE);
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
  // A container write counts once it is announced, by SetDirty or MSG_CHANGE.
  generator->GetDataInstance()->SetFloat(qhost::kSphereRadius, 60.0);
  generator->SetDirty(DIRTYFLAGS_DATA);
  EXPECT_TRUE(Check());
  generator->GetDataInstance()->SetFloat(qhost::kSphereRadius, 70.0);
  generator->Message(MSG_CHANGE);
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
  // Moving the generator itself does not change what it is built from.
  generator->SetMl(Translation(Vector(9.0, 0.0, 0.0)));
  EXPECT_FALSE(Check());
  generator->SetPhong(true, true, 0.3);
  EXPECT_TRUE(Check());
}

TEST_F(HierarchyClone, ChangesAnywhereInTheSourceCount)
{
  ASSERT_TRUE(Check());
  cube->SetParameter(DescID(qhost::kCubeSegmentsX), GeData(Int32(2)), DESCFLAGS_SET::NONE);
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
  cube->SetMl(Translation(Vector(0.0, 1.0, 0.0)));
  EXPECT_TRUE(Check());
  source->SetMl(Translation(Vector(0.0, 1.0, 0.0)));
  EXPECT_TRUE(Check());
  BaseObject* extra = qhost::NewPolygonObject(qhost::MakePlane(1.0, 1.0, 1, 1));
  doc->InsertObject(extra, cube, nullptr);
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
  ToPoly(extra)->GetPointW()[0] = Vector(0.0, 3.0, 0.0);
  EXPECT_TRUE(Check());
  extra->MakeTag(Tpolygonselection, nullptr);
  EXPECT_TRUE(Check());
  EXPECT_FALSE(Check());
}

TEST_F(HierarchyClone, WithoutACacheItIsAlwaysDirty)
{
  ASSERT_TRUE(Check());
  qhost::AsObject(generator)->SetCache(nullptr);
  EXPECT_TRUE(Check());
}

TEST_F(HierarchyClone, CachePassBuildsAndRebuildsPrimitives)
{
  BaseObject* first = generator->GetCache();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetType(), Opolygon);
  EXPECT_NE(first->GetTag(Tuvw), nullptr);
  const qhost::MeshData sphere = qhost::ReadPolygonMesh(*AsObject(first));
  EXPECT_TRUE(qhost::test::IsClosed(sphere));
  EXPECT_TRUE(sphere.HasUVs());
  EXPECT_EQ(sphere.points, qhost::MakeSphere(100.0, 24).points);

  // Unchanged parameters keep the cache object; a change replaces it.
  const UInt32 cacheDirty = generator->GetDirty(DIRTYFLAGS_CACHE);
  qhost::BuildCaches(doc);
  EXPECT_EQ(generator->GetCache(), first);
  EXPECT_EQ(generator->GetDirty(DIRTYFLAGS_CACHE), cacheDirty);
  generator->SetParameter(DescID(qhost::kSphereSegments), GeData(Int32(8)), DESCFLAGS_SET::NONE);
  qhost::BuildCaches(doc);
  ASSERT_NE(generator->GetCache(), nullptr);
  EXPECT_GT(generator->GetDirty(DIRTYFLAGS_CACHE), cacheDirty);
  EXPECT_EQ(qhost::ReadPolygonMesh(*AsObject(generator->GetCache())).points, qhost::MakeSphere(100.0, 8).points);
  // The cube inside the null was built too.
  EXPECT_NE(cube->GetCache(), nullptr);
}

TEST_F(HierarchyClone, SceneMeshJoinsCachesInWorldSpace)
{
  generator->SetMl(Translation(Vector(0.0, 1000.0, 0.0)));
  qhost::BuildCaches(doc);
  const qhost::MeshData scene = qhost::CollectSceneMesh(doc);
  const qhost::MeshData sphere = qhost::MakeSphere(100.0, 24);
  const qhost::MeshData box = qhost::MakeCube(Vector(200.0), 1, 1, 1);
  // A primitive does not take its children as input: both are shown.
  ASSERT_EQ(scene.polygons.size(), sphere.polygons.size() + box.polygons.size());
  ASSERT_EQ(scene.points.size(), sphere.points.size() + box.points.size());
  EXPECT_EQ(scene.points[0], sphere.points[0] + Vector(0.0, 1000.0, 0.0));
  EXPECT_EQ(scene.points[sphere.points.size()], box.points[0] + Vector(0.0, 1000.0, 0.0));
  EXPECT_TRUE(scene.HasUVs());
  EXPECT_TRUE(qhost::test::AllFinite(scene));
}

} // namespace
