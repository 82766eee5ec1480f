// SelectSet, the polygon-to-point selection changer and neighbour rings,
// through the host API as a module uses them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "host/geometry/primitives.h"
#include "host/geometry/select_set.h"
#include "host/runtime/host.h"

namespace {

class SelectionTools : public ::testing::Test
{
protected:
  void SetUp() override { qhost::Host::Instance(); }
};

std::vector<Int32> Selected(const BaseSelect& sel)
{
  std::vector<Int32> out;
  for (Int32 i = 0; i < sel.GetCount(); ++i)
    out.push_back(sel.GetSelectedIndex(i));
  return out;
}

// A polygon object of two quads sharing the edge 1-2 and one triangle apart.
PolygonObject* TwoQuadsAndATriangle()
{
  PolygonObject* op = PolygonObject::Alloc(9, 3);
  CPolygon* polys = op->GetPolygonW();
  polys[0] = CPolygon(0, 1, 2, 3);
  polys[1] = CPolygon(1, 4, 5, 2);
  polys[2] = CPolygon(6, 7, 8);
  return op;
}

TEST_F(SelectionTools, SelectSetMatchesAReferenceSetUnderRandomEdits)
{
  BaseSelect* sel = BaseSelect::Alloc();
  ASSERT_NE(sel, nullptr);
  std::set<Int32> reference;
  std::mt19937 rng(7);
  std::uniform_int_distribution<Int32> index(0, 700);
  for (int step = 0; step < 3000; ++step)
  {
    const Int32 i = index(rng);
    if (rng() % 3 == 0)
    {
      EXPECT_TRUE(sel->Deselect(i));
      reference.erase(i);
    }
    else
    {
      EXPECT_TRUE(sel->Select(i));
      reference.insert(i);
    }
  }
  EXPECT_EQ(sel->GetCount(), Int32(reference.size()));
  EXPECT_EQ(Selected(*sel), std::vector<Int32>(reference.begin(), reference.end()));
  for (Int32 i = -5; i < 800; ++i)
    EXPECT_EQ(sel->IsSelected(i), reference.count(i) == 1) << i;
  EXPECT_EQ(sel->GetSelectedIndex(-1), -1);
  EXPECT_EQ(sel->GetSelectedIndex(sel->GetCount()), -1);
  BaseSelect::Free(sel);
  EXPECT_EQ(sel, nullptr);
}

TEST_F(SelectionTools, NegativeIndicesAreNeverSelected)
{
  qhost::SelectSet sel;
  EXPECT_FALSE(sel.Select(-1));
  EXPECT_FALSE(sel.Select(-64));
  EXPECT_EQ(sel.GetCount(), 0);
  EXPECT_FALSE(sel.IsSelected(-1));
  // Selecting twice counts once; word boundaries hold.
  EXPECT_TRUE(sel.Select(63));
  EXPECT_TRUE(sel.Select(63));
  EXPECT_TRUE(sel.Select(64));
  EXPECT_EQ(sel.GetCount(), 2);
  EXPECT_EQ(sel.GetSelectedIndex(0), 63);
  EXPECT_EQ(sel.GetSelectedIndex(1), 64);
  sel.DeselectAll();
  EXPECT_EQ(sel.GetCount(), 0);
  EXPECT_FALSE(sel.IsSelected(63));
}

TEST_F(SelectionTools, CopyToReplacesTheDestination)
{
  BaseSelect* a = BaseSelect::Alloc();
  BaseSelect* b = BaseSelect::Alloc();
  a->Select(3);
  a->Select(1000);
  b->Select(5);
  EXPECT_TRUE(a->CopyTo(b));
  EXPECT_EQ(Selected(*b), (std::vector<Int32>{3, 1000}));
  EXPECT_FALSE(a->CopyTo(nullptr));
  // The copy is independent of the original.
  a->Deselect(3);
  EXPECT_TRUE(b->IsSelected(3));
  BaseSelect::Free(a);
  BaseSelect::Free(b);
}

TEST_F(SelectionTools, ChangerGivesThePointsOfTheSelectedPolygons)
{
  PolygonObject* op = TwoQuadsAndATriangle();
  SelectionChanger* changer = SelectionChanger::Alloc();
  ASSERT_NE(changer, nullptr);
  EXPECT_EQ(changer->GetPointS(), nullptr);

  BaseSelect* polygons = BaseSelect::Alloc();
  polygons->Select(1);
  polygons->Select(2);
  ASSERT_TRUE(changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, op));
  ASSERT_NE(changer->GetPointS(), nullptr);
  EXPECT_EQ(Selected(*changer->GetPointS()), (std::vector<Int32>{1, 2, 4, 5, 6, 7, 8}));

  // A second init replaces the first result.
  polygons->DeselectAll();
  polygons->Select(0);
  ASSERT_TRUE(changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, op));
  EXPECT_EQ(Selected(*changer->GetPointS()), (std::vector<Int32>{0, 1, 2, 3}));

  BaseSelect::Free(polygons);
  SelectionChanger::Free(changer);
  BaseObject* object = op;
  BaseObject::Free(object);
}

TEST_F(SelectionTools, ChangerRefusesBadInput)
{
  PolygonObject* op = TwoQuadsAndATriangle();
  SelectionChanger* changer = SelectionChanger::Alloc();
  BaseSelect* polygons = BaseSelect::Alloc();
  polygons->Select(0);
  EXPECT_FALSE(changer->InitFromSelection(nullptr, SELECTIONMODE_POLYGONS, op));
  EXPECT_FALSE(changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, nullptr));
  EXPECT_FALSE(changer->InitFromSelection(polygons, SELECTIONMODE_POINTS, op));
  EXPECT_EQ(changer->GetPointS(), nullptr);

  ASSERT_TRUE(changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, op));
  polygons->Select(3); // one past the last polygon
  EXPECT_FALSE(changer->InitFromSelection(polygons, SELECTIONMODE_POLYGONS, op));
  EXPECT_EQ(changer->GetPointS(), nullptr);

  BaseSelect::Free(polygons);
  SelectionChanger::Free(changer);
  BaseObject* object = op;
  BaseObject::Free(object);
}

std::vector<Int32> Ring(const Neighbor& nb, Int32 point)
{
  const Int32* ring = nullptr;
  Int32 count = -1;
  nb.GetPointOneRingPoints(point, &ring, &count);
  return std::vector<Int32>(ring, ring + count);
}

TEST_F(SelectionTools, NeighborRingsFollowSharedEdges)
{
  PolygonObject* op = TwoQuadsAndATriangle();
  Neighbor* nb = Neighbor::Alloc();
  ASSERT_TRUE(nb->Init(op->GetPointCount(), op->GetPolygonR(), op->GetPolygonCount(), nullptr));
  EXPECT_EQ(Ring(*nb, 1), (std::vector<Int32>{0, 2, 4}));
  EXPECT_EQ(Ring(*nb, 2), (std::vector<Int32>{1, 3, 5}));
  EXPECT_EQ(Ring(*nb, 7), (std::vector<Int32>{6, 8}));
  EXPECT_TRUE(Ring(*nb, 99).empty());
  EXPECT_TRUE(Ring(*nb, -1).empty());

  // Only selected polygons make edges.
  BaseSelect* only = BaseSelect::Alloc();
  only->Select(0);
  ASSERT_TRUE(nb->Init(op->GetPointCount(), op->GetPolygonR(), op->GetPolygonCount(), only));
  EXPECT_EQ(Ring(*nb, 1), (std::vector<Int32>{0, 2}));
  EXPECT_TRUE(Ring(*nb, 7).empty());
  BaseSelect::Free(only);

  // Neighbours are symmetric on a closed cube.
  const qhost::MeshData cube = qhost::MakeCube(Vector(1.0), 2, 2, 2);
  ASSERT_TRUE(nb->Init(Int32(cube.points.size()), cube.polygons.data(), Int32(cube.polygons.size()), nullptr));
  for (Int32 p = 0; p < Int32(cube.points.size()); ++p)
    for (Int32 q : Ring(*nb, p))
    {
      const std::vector<Int32> back = Ring(*nb, q);
      EXPECT_TRUE(std::find(back.begin(), back.end(), p) != back.end());
    }
  Neighbor::Free(nb);
  BaseObject* object = op;
  BaseObject::Free(object);
}

TEST_F(SelectionTools, NeighborInitRejectsBadIndices)
{
  Neighbor* nb = Neighbor::Alloc();
  const CPolygon bad[] = {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 9)};
  EXPECT_FALSE(nb->Init(5, bad, 2, nullptr));
  EXPECT_TRUE(Ring(*nb, 1).empty());
  const CPolygon negative[] = {CPolygon(0, -1, 2)};
  EXPECT_FALSE(nb->Init(3, negative, 1, nullptr));
  EXPECT_FALSE(nb->Init(-1, bad, 1, nullptr));
  EXPECT_FALSE(nb->Init(5, nullptr, 1, nullptr));
  Neighbor::Free(nb);
}

} // namespace
