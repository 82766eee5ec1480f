// Layer displacement through the loaded module, checked against the host's own
// noise evaluated by the test: shaping, strength, modes, sample positions,
// layer order, selections and fields.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "plugin_test_support.h"

namespace qtest {
namespace {

constexpr Int32 kSubdivisions = 2000;
constexpr Int32 kSeed = 2008;
constexpr Int32 kNormalizePoints = 2009;
constexpr Int32 kFields = 2006;
constexpr Int32 kAddLayer = 3002;

enum : Int32
{
  kUse = 3,
  kNoiseType = 4,
  kStrength = 5,
  kNoiseScale = 6,
  kUseFields = 8,
  kSelection = 9,
  kFlatten = 11,
  kElevate = 12,
  kOverallScale = 13,
  kMode = 16,
};

// The noise value the generator's layer evaluates at sample point q.
Float HostNoise(Int32 seed, Int32 type, const Vector& q)
{
  GeNoise* noise = GeNoise::Alloc(seed);
  noise->InitFbm(18, 2.0, 0.5);
  const Float u = noise->Noise(type, false, q, 0.0, 5.0, false, 2.5, 0.25, 0);
  GeNoise::Free(noise);
  return u;
}

Float Shape(Float u, Float flatten, Float elevate)
{
  if (u < flatten)
    return 0.0;
  return u > 1.0 - elevate ? 1.0 : u;
}

// A single quad in the z = 0 plane facing +z, away from the origin; with the
// generator's subdivision off the mesh is exactly these points.
PolygonObject* FlatQuad(Float z = 0.0)
{
  return MakePolygonObject({{10, 0, z}, {20, 0, z}, {20, 10, z}, {10, 10, z}}, {CPolygon(0, 1, 2, 3)});
}

struct LayerRock : RockFixture
{
  explicit LayerRock(PolygonObject* child)
  {
    Data().SetInt32(kSubdivisions, 0);
    Data().SetInt32(LayerId(0, kNoiseType), 8); // fBm
    source = child;
    before = Points(child);
    child->InsertUnder(generator);
  }

  static std::vector<Vector> Points(const PolygonObject* op)
  {
    return {op->GetPointR(), op->GetPointR() + op->GetPointCount()};
  }

  // Signed distance each point moved along +z (the quad's normal).
  std::vector<Float> Lift()
  {
    const auto* mesh = static_cast<const PolygonObject*>(Build());
    EXPECT_EQ(mesh->GetType(), Opolygon);
    std::vector<Float> lift;
    for (Int32 i = 0; i < mesh->GetPointCount(); ++i)
      lift.push_back(mesh->GetPointR()[i].z - before[size_t(i)].z);
    return lift;
  }

  PolygonObject* source = nullptr;
  std::vector<Vector> before;
};

TEST(RockMakerLayersTest, FlattenAndElevateShapeTheNoiseBeforeStrength)
{
  struct Case
  {
    Float flatten, elevate;
  };
  for (const Case c : {Case{0.0, 0.0}, Case{0.3, 0.0}, Case{0.0, 0.2}, Case{0.6, 0.6}, Case{0.45, 0.5}})
  {
    LayerRock rock(FlatQuad());
    rock.Data().SetFloat(LayerId(0, kFlatten), c.flatten);
    rock.Data().SetFloat(LayerId(0, kElevate), c.elevate);
    const std::vector<Float> lift = rock.Lift();
    for (size_t i = 0; i < lift.size(); ++i)
    {
      const Float u = HostNoise(1234, 8, rock.before[i].GetNormalized());
      EXPECT_NEAR(lift[i], Shape(u, c.flatten, c.elevate) * 50.0, 1e-9)
          << "flatten " << c.flatten << " elevate " << c.elevate << " point " << i;
    }
  }
}

TEST(RockMakerLayersTest, FullStrengthMovesFiftyUnitsAndSubtractMovesBack)
{
  LayerRock add(FlatQuad());
  add.Data().SetFloat(LayerId(0, kElevate), 1.0);
  for (const Float lift : add.Lift())
    EXPECT_NEAR(lift, 50.0, 1e-9);

  LayerRock subtract(FlatQuad());
  subtract.Data().SetFloat(LayerId(0, kElevate), 1.0);
  subtract.Data().SetInt32(LayerId(0, kMode), 1);
  for (const Float lift : subtract.Lift())
    EXPECT_NEAR(lift, -50.0, 1e-9);

  LayerRock other(FlatQuad());
  other.Data().SetFloat(LayerId(0, kElevate), 1.0);
  other.Data().SetInt32(LayerId(0, kMode), 7);
  for (const Float lift : other.Lift())
    EXPECT_EQ(lift, 0.0) << "an unknown mode moves nothing";
}

TEST(RockMakerLayersTest, NormalizedPointsOnOneRaySampleTheSameNoise)
{
  // The second quad is the first scaled by two: matching points lie on one
  // ray from the origin, and both quads face +z.
  PolygonObject* child = MakePolygonObject(
      {{10, 0, 5}, {20, 0, 5}, {20, 10, 5}, {10, 10, 5}, {20, 0, 10}, {40, 0, 10}, {40, 20, 10}, {20, 20, 10}},
      {CPolygon(0, 1, 2, 3), CPolygon(4, 5, 6, 7)});
  LayerRock rock(child);
  const std::vector<Float> lift = rock.Lift();
  for (size_t i = 0; i < 4; ++i)
    EXPECT_NEAR(lift[i], lift[i + 4], 1e-9) << "points " << i << " and " << i + 4;
}

TEST(RockMakerLayersTest, WithoutNormalizationTheSampleIsThePositionTimesOneHundredth)
{
  LayerRock rock(FlatQuad(3.0));
  rock.Data().SetBool(kNormalizePoints, false);
  rock.Data().SetVector(LayerId(0, kNoiseScale), Vector(1.0, 0.5, 2.0));
  const std::vector<Float> lift = rock.Lift();
  for (size_t i = 0; i < lift.size(); ++i)
  {
    const Vector p = rock.before[i];
    const Vector q(p.x * 0.01, p.y * 0.01 * 2.0, p.z * 0.01 * 0.5);
    EXPECT_NEAR(lift[i], std::clamp(HostNoise(1234, 8, q), 0.0, 1.0) * 50.0, 1e-9) << "point " << i;
  }
}

TEST(RockMakerLayersTest, AZeroScaleComponentRemovesThatAxis)
{
  // Points differ only in y; a zero y scale makes their samples equal.
  PolygonObject* child =
      MakePolygonObject({{10, 0, 10}, {20, 0, 10}, {20, 70, 10}, {10, 70, 10}}, {CPolygon(0, 1, 2, 3)});
  LayerRock rock(child);
  rock.Data().SetBool(kNormalizePoints, false);
  rock.Data().SetVector(LayerId(0, kNoiseScale), Vector(1.0, 0.0, 1.0));
  const std::vector<Float> lift = rock.Lift();
  EXPECT_NEAR(lift[0], lift[3], 1e-12);
  EXPECT_NEAR(lift[1], lift[2], 1e-12);
}

TEST(RockMakerLayersTest, ASecondLayerSamplesThePointsTheFirstMoved)
{
  LayerRock rock(FlatQuad(1.0));
  rock.Press(kAddLayer);
  rock.Data().SetInt32(LayerId(1, kNoiseType), 8);
  rock.Data().SetFloat(LayerId(1, kStrength), 0.5);
  const std::vector<Float> lift = rock.Lift();
  for (size_t i = 0; i < lift.size(); ++i)
  {
    Vector p = rock.before[i];
    const Float first = std::clamp(HostNoise(1234, 8, p.GetNormalized()), 0.0, 1.0) * 50.0;
    p.z += first;
    const Float second = std::clamp(HostNoise(1234, 8, p.GetNormalized()), 0.0, 1.0) * 25.0;
    EXPECT_NEAR(lift[i], first + second, 1e-9) << "point " << i;
  }
}

TEST(RockMakerLayersTest, SeedChangesTheRock)
{
  LayerRock a(FlatQuad());
  LayerRock b(FlatQuad());
  b.Data().SetInt32(kSeed, 99);
  EXPECT_NE(a.Lift(), b.Lift());
}

// Two quads side by side; the selection "right" holds the second.
PolygonObject* TwoQuadsWithSelection(const char* tagName)
{
  PolygonObject* op = MakePolygonObject({{10, 0, 0}, {20, 0, 0}, {20, 10, 0}, {10, 10, 0}, {30, 0, 0}, {30, 10, 0}},
                                        {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 5, 2)});
  auto* tag = static_cast<SelectionTag*>(op->MakeTag(Tpolygonselection));
  tag->SetName(tagName);
  tag->GetBaseSelect()->Select(1);
  return op;
}

TEST(RockMakerLayersTest, ASelectionRestrictsTheLayerToThePointsOfItsPolygons)
{
  PolygonObject* child = TwoQuadsWithSelection("right");
  LayerRock rock(child);
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  rock.Data().SetLink(LayerId(0, kSelection), child->GetFirstTag());
  const std::vector<Float> lift = rock.Lift();
  EXPECT_EQ(lift[0], 0.0);
  EXPECT_EQ(lift[3], 0.0);
  for (const size_t moved : {1u, 2u, 4u, 5u})
    EXPECT_NEAR(lift[moved], 50.0, 1e-9) << "point " << moved;
}

TEST(RockMakerLayersTest, ASelectionWhoseNameIsNotOnTheMeshActsOnAllPoints)
{
  LayerRock rock(FlatQuad());
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  // A selection tag on another object: the mesh has no tag of that name.
  PolygonObject* elsewhere = TwoQuadsWithSelection("elsewhere");
  rock.doc->InsertObject(elsewhere, nullptr, nullptr);
  rock.Data().SetLink(LayerId(0, kSelection), elsewhere->GetFirstTag());
  for (const Float lift : rock.Lift())
    EXPECT_NEAR(lift, 50.0, 1e-9);
}

TEST(RockMakerLayersTest, ASameNamedTagOfAnotherTypeActsOnAllPoints)
{
  PolygonObject* child = FlatQuad();
  child->MakeTag(Tuvw)->SetName("weird");
  LayerRock rock(child);
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  PolygonObject* elsewhere = TwoQuadsWithSelection("weird");
  rock.doc->InsertObject(elsewhere, nullptr, nullptr);
  rock.Data().SetLink(LayerId(0, kSelection), elsewhere->GetFirstTag());
  for (const Float lift : rock.Lift())
    EXPECT_NEAR(lift, 50.0, 1e-9);
}

// A field list with one layer per object.
void SetFields(BaseContainer& bc, const std::vector<BaseObject*>& objects)
{
  FieldList* list = FieldList::Alloc();
  for (BaseObject* op : objects)
    list->AddLayer(op, nullptr);
  bc.SetData(kFields, GeData(CUSTOMDATATYPE_FIELDLIST, *list));
  FieldList::Free(list);
}

BaseObject* SphericalField(BaseDocument* doc, const Vector& at, Float inner, Float outer)
{
  BaseObject* field = BaseObject::Alloc(Ofield_spherical);
  Matrix m;
  m.off = at;
  field->SetMl(m);
  field->GetDataInstance()->SetFloat(1001, inner);
  field->GetDataInstance()->SetFloat(1002, outer);
  doc->InsertObject(field, nullptr, nullptr);
  return field;
}

TEST(RockMakerLayersTest, FieldsWeightTheLayersThatUseThem)
{
  LayerRock rock(FlatQuad());
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  // Full effect around the left edge (x = 10), none beyond 5 units from it.
  SetFields(rock.Data(), {SphericalField(rock.doc, Vector(10, 5, 0), 6.0, 7.0)});
  const std::vector<Float> lift = rock.Lift();
  EXPECT_NEAR(lift[0], 50.0, 1e-9);
  EXPECT_NEAR(lift[3], 50.0, 1e-9);
  EXPECT_EQ(lift[1], 0.0) << "a field value of 0 stops the layer";
  EXPECT_EQ(lift[2], 0.0);

  rock.Data().SetBool(LayerId(0, kUseFields), false);
  rock.generator->SetDirty(DIRTYFLAGS_DATA);
  for (const Float l : rock.Lift())
    EXPECT_NEAR(l, 50.0, 1e-9) << "Use Fields off ignores them";
}

TEST(RockMakerLayersTest, AFieldListWithoutLinkedObjectsIsNotSampled)
{
  LayerRock rock(FlatQuad());
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  FieldList* list = FieldList::Alloc();
  list->AddLayer(nullptr, nullptr); // a folder, no object
  rock.Data().SetData(kFields, GeData(CUSTOMDATATYPE_FIELDLIST, *list));
  FieldList::Free(list);
  for (const Float lift : rock.Lift())
    EXPECT_NEAR(lift, 50.0, 1e-9);
}

TEST(RockMakerLayersTest, FieldsAreSampledAtTheJoinedObjectsWorldPositions)
{
  // The child is a null moved to x = 1000 holding the quad: the join makes
  // the mesh in the null's space, and fields see world positions.
  RockFixture rock;
  rock.Data().SetInt32(kSubdivisions, 0);
  rock.Data().SetInt32(LayerId(0, kNoiseType), 8);
  rock.Data().SetFloat(LayerId(0, kElevate), 1.0);
  BaseObject* null = BaseObject::Alloc(Onull);
  Matrix m;
  m.off = Vector(1000, 0, 0);
  null->SetMl(m);
  null->InsertUnder(rock.generator);
  FlatQuad()->InsertUnder(null);
  SetFields(rock.Data(), {SphericalField(rock.doc, Vector(1010, 5, 0), 6.0, 7.0)});
  const auto* mesh = static_cast<const PolygonObject*>(rock.Build());
  ASSERT_EQ(mesh->GetType(), Opolygon);
  ASSERT_EQ(mesh->GetPointCount(), 4);
  EXPECT_NEAR(mesh->GetPointR()[0].z, 50.0, 1e-9);
  EXPECT_EQ(mesh->GetPointR()[1].z, 0.0);
}

} // namespace
} // namespace qtest
