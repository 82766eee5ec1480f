#include "host/io/scene_file.h"

#include <filesystem>
#include <fstream>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/core/node_core.h"
#include "host/io/scene_compare.h"
#include "host/runtime/host.h"
#include "host/shading/layer_shader.h"
#include "host/io/io_test_support.h"

namespace qhost {
namespace {

using testing::ScratchFolder;

constexpr Int32 kRockMakerId = 1063355;
constexpr Int64 kMissingUid = Int64(1) << 50;

class SceneFileTest : public ::testing::Test
{
protected:
  void SetUp() override { Host::Instance(); }

  static DocumentPtr Load(const std::string& text)
  {
    DocumentPtr doc;
    EXPECT_NO_THROW(doc = ReadScene(text));
    return doc;
  }

  // The error a text gives; fails the test when it loads.
  static std::string LoadError(const std::string& text)
  {
    try
    {
      ReadScene(text);
    }
    catch (const InputError& e)
    {
      EXPECT_NE(std::string(e.what()), "");
      return e.what();
    }
    ADD_FAILURE() << "loaded: " << text.substr(0, 200);
    return {};
  }
};

BaseContainer EveryValueKind(BaseObject* linkTarget)
{
  BaseContainer inner(77);
  inner.SetInt32(1, -5);
  inner.SetString(2, "inner \"quoted\" \xC3\xA9");
  BaseContainer bc;
  bc.SetInt32(1000, 2147483647);
  bc.SetFloat(1001, 0.1);
  bc.SetFloat(1002, -std::numeric_limits<Float>::infinity());
  bc.SetFloat(1003, std::numeric_limits<Float>::quiet_NaN());
  bc.SetVector(1004, Vector(1e-300, -2.5, 3.0));
  bc.SetMatrix(1005, Matrix{{1, 2, 3}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}});
  bc.SetString(1006, "");
  bc.SetLink(1007, linkTarget);
  bc.SetData(1008, GeData(BaseLink{kMissingUid}));
  bc.SetContainer(1009, inner);
  bc.SetData(1010, GeData());

  Gradient* gradient = Gradient::Alloc();
  GradientKnot knot;
  knot.col = Vector(0.2, 0.4, 0.6);
  knot.pos = 0.25;
  knot.bias = 0.3;
  knot.index = 4;
  knot.interpolation = GRADIENT_INTERPOLATION_TYPE::CUBICKNOT;
  gradient->InsertKnot(knot);
  knot.pos = 0.9;
  knot.brightness = 0.5;
  gradient->InsertKnot(knot);
  gradient->SetData(GRADIENT_MODE, GeData(Int32(3)));
  bc.SetData(1011, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));
  Gradient::Free(gradient);

  FieldList* fields = FieldList::Alloc();
  fields->AddLayer(linkTarget, nullptr);
  FieldLayer* folder = fields->AddLayer(nullptr, nullptr);
  FieldLayer* inFolder = fields->AddLayer(linkTarget, folder);
  inFolder->GetDataInstance()->SetFloat(2001, 0.25);
  bc.SetData(1012, GeData(CUSTOMDATATYPE_FIELDLIST, *fields));
  FieldList::Free(fields);

  // Raw pointers mean nothing in another process and are left out.
  bc.SetData(1099, GeData(static_cast<void*>(&bc)));
  return bc;
}

// A scene with every node kind and value kind a scene file holds.
DocumentPtr RichScene()
{
  DocumentPtr doc(BaseDocument::Alloc());
  doc->SetName("rich");

  BaseObject* field = BaseObject::Alloc(Ofield_spherical);
  doc->InsertObject(field, nullptr, nullptr);
  BaseObject* group = BaseObject::Alloc(Onull);
  group->SetName("group");
  group->SetMl(Matrix{{10, 20, 30}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 2}});
  doc->InsertObject(group, nullptr, field);

  PolygonObject* mesh = PolygonObject::Alloc(4, 2);
  mesh->SetName("mesh");
  Vector* points = mesh->GetPointW();
  points[0] = Vector(0, 0, 0);
  points[1] = Vector(1, 0, 0);
  points[2] = Vector(1, 1, 0.123456789012345678);
  points[3] = Vector(0, 1, -0.0);
  CPolygon* polygons = mesh->GetPolygonW();
  polygons[0] = CPolygon(0, 1, 2, 3);
  polygons[1] = CPolygon(0, 2, 3);
  doc->InsertObject(mesh, group, nullptr);
  mesh->SetPhong(true, true, 0.5);
  auto* selection = static_cast<SelectionTag*>(mesh->MakeTag(Tpolygonselection, mesh->GetFirstTag()));
  selection->SetName("top");
  selection->GetBaseSelect()->Select(1);
  auto* uvw = static_cast<UVWTag*>(mesh->MakeTag(Tuvw, selection));
  uvw->SetSlow(0, UVWStruct{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  uvw->SetSlow(1, UVWStruct{{0.5, 0.5, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}});
  mesh->GetDataInstance()->SetData(2000, GeData(BaseLink{kMissingUid}));

  CTrack* track = CTrack::Alloc(group, DescID(DescLevel(903, DA_VECTOR, 0), DescLevel(1001, DA_REAL, 0)));
  track->AddKey(0.0, 1.0);
  track->AddKey(2.5, -3.0);
  group->InsertTrackSorted(track);
  CTrack* annotated = CTrack::Alloc(group, DescID(DescLevel(904)));
  String text = "hand-written note";
  annotated->TrackInformation(doc.get(), nullptr, &text, true);
  group->InsertTrackSorted(annotated);
  group->SetData(EveryValueKind(field));

  BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
  material->SetName("stone");
  doc->InsertMaterial(material);
  auto* layers = static_cast<LayerShader*>(BaseShader::Alloc(Xlayer));
  material->InsertShader(layers);
  BaseShader* noise = BaseShader::Alloc(Xnoise);
  layers->InsertShader(noise);
  noise->InsertShader(BaseShader::Alloc(Xnoise)); // a shader's own shaders
  LayerShaderLayer* folder = layers->AddLayer(TypeFolder);
  LayerShaderLayer* shown = layers->AddLayer(TypeShader, folder);
  layers->SetLayerShader(shown, noise);
  LayerShaderLayer* effect = layers->AddLayer(TypeEffect);
  auto* layerNode = As<LayerShaderNode>(layers);
  layerNode->SetLayerParameter(effect, kLayerEffect, GeData(kLayerEffectBrightnessContrast));
  layerNode->SetLayerParameter(effect, kLayerContrast, GeData(0.75));
  layerNode->SetLayerParameter(folder, kLayerOpacity, GeData(0.4));
  LayerShaderLayer* dangling = layers->AddLayer(TypeShader);
  GeData link;
  dangling->GetParameter(LAYER_S_PARAM_SHADER_LINK, link);
  static_cast<BaseLink*>(link.GetVoid())->uid = kMissingUid;
  material->GetDataInstance()->SetLink(MATERIAL_COLOR_SHADER, layers);

  RenderData* first = RenderData::Alloc();
  RenderData* second = RenderData::Alloc();
  second->GetDataInstance()->SetInt32(RDATA_RENDERENGINE, RDATA_RENDERENGINE_PHYSICAL);
  doc->InsertRenderData(first);
  doc->InsertRenderData(second);
  doc->SetActiveRenderData(second);
  return doc;
}

TEST_F(SceneFileTest, SavedSceneLoadsBackEqualAndSavesToTheSameBytes)
{
  const DocumentPtr original = RichScene();
  const std::string saved = WriteScene(*original);
  const DocumentPtr loaded = Load(saved);
  ASSERT_TRUE(loaded);
  std::string difference;
  EXPECT_TRUE(SameScene(*original, *loaded, difference)) << difference;
  EXPECT_EQ(WriteScene(*loaded), saved);
  EXPECT_EQ(saved.find("\"id\": 1099"), std::string::npos) << "raw pointers are not saved";
}

TEST_F(SceneFileTest, LoadedLinksResolveAndMissingOnesStayDangling)
{
  const DocumentPtr loaded = Load(WriteScene(*RichScene()));
  ASSERT_TRUE(loaded);
  BaseObject* group = loaded->SearchObject("group");
  ASSERT_TRUE(group);
  BaseList2D* target = group->GetDataInstance()->GetLink(1007, loaded.get());
  ASSERT_TRUE(target);
  EXPECT_EQ(target->GetType(), Ofield_spherical);
  EXPECT_EQ(target, loaded->GetFirstObject());
  EXPECT_EQ(group->GetDataInstance()->GetData(1008).GetBaseLink().uid, kMissingUid);
  EXPECT_EQ(group->GetDataInstance()->GetLink(1008, loaded.get()), nullptr);

  // The material's channel finds its layer shader, and the layer its noise.
  BaseMaterial* material = loaded->GetFirstMaterial();
  ASSERT_TRUE(material);
  BaseShader* shader = material->GetChannel(CHANNEL_COLOR)->GetShader();
  ASSERT_TRUE(shader);
  EXPECT_EQ(shader->GetType(), Xlayer);
  ASSERT_EQ(shader->GetFirstShader()->GetType(), Xnoise);
  EXPECT_EQ(loaded->GetActiveRenderData()->GetDataInstance()->GetInt32(RDATA_RENDERENGINE),
            RDATA_RENDERENGINE_PHYSICAL);
}

TEST_F(SceneFileTest, NewNodesAfterALoadGetUnusedIds)
{
  const DocumentPtr loaded = Load(WriteScene(*RichScene()));
  ASSERT_TRUE(loaded);
  BaseObject* fresh = BaseObject::Alloc(Onull);
  EXPECT_EQ(loaded->FindNode(fresh->GetUniqueId()), nullptr);
  BaseObject::Free(fresh);
}

TEST_F(SceneFileTest, ComparisonNamesWhatDiffers)
{
  const DocumentPtr a = RichScene();
  const DocumentPtr b = Load(WriteScene(*a));
  ASSERT_TRUE(b);
  std::string difference;

  PolygonObject* mesh = ToPoly(b->SearchObject("mesh"));
  mesh->GetPointW()[2].z += 1e-12;
  EXPECT_FALSE(SameScene(*a, *b, difference));
  EXPECT_NE(difference.find("points"), std::string::npos) << difference;
  mesh->GetPointW()[2].z = ToPoly(a->SearchObject("mesh"))->GetPointR()[2].z;
  ASSERT_TRUE(SameScene(*a, *b, difference)) << difference;

  static_cast<SelectionTag*>(mesh->GetTag(Tpolygonselection))->GetBaseSelect()->Select(0);
  EXPECT_FALSE(SameScene(*a, *b, difference));
  EXPECT_NE(difference.find("selections"), std::string::npos) << difference;
  static_cast<SelectionTag*>(mesh->GetTag(Tpolygonselection))->GetBaseSelect()->Deselect(0);

  b->SearchObject("group")->GetDataInstance()->SetFloat(1003, 0.0);
  EXPECT_FALSE(SameScene(*a, *b, difference));
  EXPECT_NE(difference.find("1003"), std::string::npos) << difference;
}

TEST_F(SceneFileTest, PluginNodesRunTheirInitAndKeepTheSavedParameters)
{
  const ModuleStatus status = Host::Instance().LoadModule(QV_BUILD_DIR "/plugins/quorvane/quorvane.dud64");
  ASSERT_TRUE(status.error.empty()) << status.error;
  DocumentPtr doc(BaseDocument::Alloc());
  BaseObject* maker = BaseObject::Alloc(kRockMakerId);
  ASSERT_TRUE(maker);
  doc->InsertObject(maker, nullptr, nullptr);
  maker->Message(MSG_MENUPREPARE);
  maker->GetDataInstance()->SetInt32(999999, 12);
  doc->InsertObject(BaseObject::Alloc(Ocube), maker, nullptr);

  const DocumentPtr loaded = Load(WriteScene(*doc));
  ASSERT_TRUE(loaded);
  std::string difference;
  EXPECT_TRUE(SameScene(*doc, *loaded, difference)) << difference;
  BaseObject* loadedMaker = loaded->GetFirstObject();
  EXPECT_NE(loadedMaker->GetNodeData(), nullptr);
  EXPECT_EQ(loadedMaker->GetInfo(), maker->GetInfo());
  EXPECT_EQ(loadedMaker->GetDataInstance()->GetInt32(999999), 12);
}

TEST_F(SceneFileTest, FilesAreWrittenWholeAndErrorsNameThem)
{
  ScratchFolder folder;
  const DocumentPtr doc = RichScene();
  SaveSceneFile(folder.File("a.json"), *doc);
  const DocumentPtr loaded = LoadSceneFile(folder.File("a.json"));
  std::string error;
  EXPECT_TRUE(SameScene(*doc, *loaded, error)) << error;

  std::ofstream(folder.File("bad.json")) << "{\"format\": \"quorvane-scene\", ";
  EXPECT_THAT([&] { LoadSceneFile(folder.File("bad.json")); },
              ::testing::ThrowsMessage<InputError>(::testing::StartsWith(folder.File("bad.json") + ": ")));
  EXPECT_THAT([&] { LoadSceneFile(folder.File("missing.json")); },
              ::testing::ThrowsMessage<InputError>(::testing::StartsWith(folder.File("missing.json") + ": ")));
  EXPECT_THROW(SaveSceneFile(folder.File("no/such/folder.json"), *doc), OutputError);
}

// A minimal scene with one top-level object given as JSON text.
std::string WithObject(const std::string& object)
{
  return R"({"format": "quorvane-scene", "version": 1,
    "document": {"type": 110059, "name": "", "uid": 1, "data": {"id": 0, "entries": []}},
    "objects": [)" + object + R"(], "materials": [], "renderdata": {"active": 0, "items": []}})";
}

std::string Object(Int64 uid, const std::string& extra = "")
{
  return R"({"type": 5100, "name": "o", "uid": )" + std::to_string(uid) +
         R"(, "data": {"id": 0, "entries": []}, "matrix": [0,0,0, 1,0,0, 0,1,0, 0,0,1])" + extra + "}";
}

TEST_F(SceneFileTest, BrokenFilesGiveErrorsNamingThePlace)
{
  EXPECT_TRUE(Load(WithObject(Object(5))));
  EXPECT_NE(LoadError("{\"format\": ").find("not valid JSON"), std::string::npos);
  EXPECT_NE(LoadError("[]").find("$"), std::string::npos);
  EXPECT_NE(LoadError(R"({"format": "other", "version": 1})").find("$.format"), std::string::npos);
  EXPECT_NE(LoadError(R"({"format": "quorvane-scene", "version": 9})").find("version 9"), std::string::npos);

  const std::string unknown = LoadError(WithObject(R"({"type": 424242, "name": "x", "uid": 3})"));
  EXPECT_NE(unknown.find("$.objects[0].type"), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("424242"), std::string::npos) << unknown;

  const std::string wrongKind = LoadError(WithObject(Object(
      5, R"(, "children": [)" + Object(6).substr(0, Object(6).size() - 1) +
             R"(, "tags": [{"type": 5612, "name": "p", "uid": 7, "data": {"id": 0, "entries": [{"id": 1001, "kind": "real", "value": "x"}]}}]}])")));
  EXPECT_NE(wrongKind.find("$.objects[0].children[0].tags[0].data.entries[0].value"), std::string::npos)
      << wrongKind;

  const std::string duplicate = LoadError(WithObject(Object(5) + "," + Object(5)));
  EXPECT_NE(duplicate.find("duplicate unique ID 5"), std::string::npos) << duplicate;
  EXPECT_NE(LoadError(WithObject(Object(5, R"(, "points": [[0,0,0]], "polygons": [[0,0,1,0]])"))).find("point index 1"),
            std::string::npos);
  EXPECT_NE(LoadError(WithObject(Object(5, R"(, "points": [[0,0,0]])"))).find("come together"), std::string::npos);
  EXPECT_NE(LoadError(WithObject(Object(5, R"(, "matrix": [1,2,3])"))).find("12 numbers"), std::string::npos);
  EXPECT_NE(LoadError(WithObject(Object(5, R"(, "layers": [])"))).find("layers"), std::string::npos);
  EXPECT_NE(LoadError(WithObject(Object(-4))).find("unique ID"), std::string::npos);

  // Layer settings keep their kinds: an effect code given as a real is refused.
  const std::string material = R"({"format": "quorvane-scene", "version": 1,
    "document": {"type": 110059, "name": "", "uid": 1, "data": {"id": 0, "entries": []}}, "objects": [],
    "materials": [{"type": 5703, "name": "m", "uid": 2, "data": {"id": 0, "entries": []}, "shaders": [
      {"type": 1011123, "name": "l", "uid": 3, "data": {"id": 0, "entries": []}, "layers": [{"type": 3,
       "parameters": {"id": 0, "entries": [{"id": 2003, "kind": "real", "value": 1e300}]}}]}]}],
    "renderdata": {"active": 0, "items": []}})";
  const std::string layerKind = LoadError(material);
  EXPECT_NE(layerKind.find("$.materials[0].shaders[0].layers[0].parameters.2003"), std::string::npos) << layerKind;
  EXPECT_NE(LoadError(WithObject(Object(Int64(1) << 60))).find("unique ID"), std::string::npos);
}

TEST_F(SceneFileTest, HostileSizesAreRefusedBeforeAllocating)
{
  // A selection reaching a huge index would need a huge bitset.
  const std::string hugeSelection = LoadError(WithObject(Object(
      5, R"(, "tags": [{"type": 5673, "name": "s", "uid": 6, "data": {"id": 0, "entries": []}, "selection": [2000000000]}])")));
  EXPECT_NE(hugeSelection.find("elements"), std::string::npos) << hugeSelection;
  const std::string highestIndex = LoadError(WithObject(Object(
      5, R"(, "tags": [{"type": 5673, "name": "s", "uid": 6, "data": {"id": 0, "entries": []}, "selection": [2147483647]}])")));
  EXPECT_NE(highestIndex.find("elements"), std::string::npos) << highestIndex;

  std::string deepJson(100000, '[');
  EXPECT_NE(LoadError(deepJson).find("nested deeper"), std::string::npos);

  // Objects nested past the limit, within the JSON depth limit.
  std::string nested = Object(2);
  for (Int32 uid = 3; uid < 300; ++uid)
    nested = Object(uid, R"(, "children": [)" + nested + "]");
  EXPECT_NE(LoadError(WithObject(nested)).find("nested deeper than 256"), std::string::npos);

  // Containers nested past the limit.
  std::string container = R"({"id": 0, "entries": []})";
  for (Int32 i = 0; i < 300; ++i)
    container = R"({"id": 0, "entries": [{"id": 1, "kind": "container", "value": )" + container + "}]}";
  const std::string object = R"({"type": 5140, "name": "o", "uid": 2, "data": )" + container +
                             R"(, "matrix": [0,0,0, 1,0,0, 0,1,0, 0,0,1]})";
  EXPECT_NE(LoadError(WithObject(object)).find("nested deeper"), std::string::npos);
}

TEST_F(SceneFileTest, FuzzSeedScenesLoadAndRoundTrip)
{
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QV_SOURCE_DIR "/fuzz/corpus/scene"))
  {
    std::string error;
    const DocumentPtr doc = LoadSceneFile(entry.path().string());
    const DocumentPtr again = Load(WriteScene(*doc));
    ASSERT_TRUE(again);
    EXPECT_TRUE(SameScene(*doc, *again, error)) << entry.path() << ": " << error;
    ++seeds;
  }
  EXPECT_GE(seeds, 2);
}

TEST_F(SceneFileTest, EveryTruncationOfASavedSceneFailsCleanly)
{
  const std::string saved = WriteScene(*RichScene());
  // Only the trailing newline may go: anything shorter cuts into the document.
  const size_t complete = saved.find_last_not_of(" \n") + 1;
  ASSERT_NE(ReadScene(saved.substr(0, complete)), nullptr);
  for (size_t length = 0; length < complete; ++length)
    LoadError(saved.substr(0, length));
}

} // namespace
} // namespace qhost
