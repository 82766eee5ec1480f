// A plug-in generator driven by the cache pass: its build hook, the cache it
// returns, and the change check it relies on to keep that cache.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/geometry/cache_pass.h"
#include "host/geometry/object_node.h"
#include "host/geometry/primitive_objects.h"
#include "host/runtime/host.h"

namespace {

constexpr Int32 kEchoGeneratorId = 1999001;

// Returns the polygon state of its first child as its cache, or a null.
class EchoGenerator : public ObjectData
{
public:
  BaseObject* GetVirtualObjects(BaseObject* op, const HierarchyHelp* hh) override
  {
    ++calls;
    seenDocument = hh->GetDocument();
    BaseObject* child = op->GetDown();
    if (!child)
      return BaseObject::Alloc(Onull);
    Bool dirty = false;
    BaseObject* clone = op->GetAndCheckHierarchyClone(hh, child, HIERARCHYCLONEFLAGS::ASPOLY, &dirty, nullptr, false);
    if (!clone)
      return BaseObject::Alloc(Onull);
    if (dirty)
      ++rebuilds;
    return clone;
  }

  Int32 calls;
  Int32 rebuilds;
  BaseDocument* seenDocument;
};

NodeData* AllocEchoGenerator() { return NewObjClear<EchoGenerator>(); }

void RegisterEchoGenerator()
{
  static const bool registered = [] {
    // One folder per process: ctest runs tests of this file in parallel processes.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv_geometry_echo_generator_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "description");
    std::ofstream(folder / "description" / "oecho.json") << R"({"name": "oecho", "elements": []})";
    PluginRegistration registration;
    registration.pluginType = PLUGINTYPE_OBJECT;
    registration.id = kEchoGeneratorId;
    registration.name = "Echo";
    registration.info = OBJECT_GENERATOR | OBJECT_INPUT;
    registration.allocator = AllocEchoGenerator;
    registration.description = "oecho";
    registration.resourceFolder = folder.string();
    return qhost::Host::Instance().Interface().core->RegisterPlugin(registration);
  }();
  ASSERT_TRUE(registered);
}

class GeneratorPlugin : public ::testing::Test
{
protected:
  void SetUp() override
  {
    RegisterEchoGenerator();
    doc = BaseDocument::Alloc();
    generator = BaseObject::Alloc(kEchoGeneratorId);
    ASSERT_NE(generator, nullptr);
    cube = BaseObject::Alloc(Ocube);
    doc->InsertObject(generator, nullptr, nullptr);
    doc->InsertObject(cube, generator, nullptr);
  }
  void TearDown() override { BaseDocument::Free(doc); }

  EchoGenerator& Data() const { return *generator->GetNodeData<EchoGenerator>(); }

  BaseDocument* doc = nullptr;
  BaseObject* generator = nullptr;
  BaseObject* cube = nullptr;
};

TEST_F(GeneratorPlugin, CarrierIsAnObjectWithTheRegisteredInfo)
{
  EXPECT_NE(qhost::AsObject(generator), nullptr);
  EXPECT_EQ(generator->GetType(), kEchoGeneratorId);
  EXPECT_EQ(generator->GetInfo(), OBJECT_GENERATOR | OBJECT_INPUT);
  EXPECT_EQ(generator->GetCache(), nullptr);
}

TEST_F(GeneratorPlugin, CachePassKeepsTheCacheWhileNothingChanges)
{
  qhost::BuildCaches(doc);
  EXPECT_EQ(Data().calls, 1);
  EXPECT_EQ(Data().rebuilds, 1);
  EXPECT_EQ(Data().seenDocument, doc);
  BaseObject* cache = generator->GetCache();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->GetType(), Opolygon);
  EXPECT_EQ(ToPoly(cache)->GetPolygonCount(), 6);

  qhost::BuildCaches(doc);
  EXPECT_EQ(Data().calls, 2);
  EXPECT_EQ(Data().rebuilds, 1);
  EXPECT_EQ(generator->GetCache(), cache);

  cube->SetParameter(DescID(qhost::kCubeSegmentsZ), GeData(Int32(2)), DESCFLAGS_SET::NONE);
  qhost::BuildCaches(doc);
  EXPECT_EQ(Data().rebuilds, 2);
  ASSERT_NE(generator->GetCache(), nullptr);
  EXPECT_EQ(ToPoly(generator->GetCache())->GetPolygonCount(), 2 * (1 + 2 + 2));
}

TEST_F(GeneratorPlugin, InputsAreHiddenFromTheSceneMesh)
{
  qhost::BuildCaches(doc);
  const qhost::MeshData scene = qhost::CollectSceneMesh(doc);
  // Only the generator's cache: the cube under it is its input.
  EXPECT_EQ(scene.polygons.size(), 6u);
}

TEST_F(GeneratorPlugin, AGeneratorInsideASourceIsBuiltWhenMissing)
{
  // An echo generator whose input is another one without a cache yet:
  // converting the source builds the inner cache on demand.
  BaseObject* outer = BaseObject::Alloc(kEchoGeneratorId);
  generator->Remove();
  doc->InsertObject(outer, nullptr, nullptr);
  doc->InsertObject(generator, outer, nullptr);
  const qhost::HostHierarchyHelp hh(doc);
  Bool dirty = false;
  BaseObject* clone =
      outer->GetAndCheckHierarchyClone(&hh, generator, HIERARCHYCLONEFLAGS::ASPOLY, &dirty, nullptr, false);
  ASSERT_TRUE(dirty);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(Data().calls, 1);
  EXPECT_EQ(clone->GetType(), Opolygon);
  EXPECT_EQ(clone->GetDown(), nullptr); // the echo generator's input is not repeated
  BaseObject::Free(clone);
}

} // namespace
