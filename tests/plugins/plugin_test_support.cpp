#include "plugin_test_support.h"

#include <gtest/gtest.h>

#include "host/core/console.h"
#include "host/description/attribute_view.h"
#include "host/description/description_impl.h"
#include "host/geometry/cache_pass.h"
#include "host/runtime/host.h"

namespace qtest {
namespace {

// Loads the module before any test body runs, so that tests may create nodes
// in their members' initialisers, also when ctest runs one test alone.
class ModuleEnvironment : public ::testing::Environment
{
public:
  void SetUp() override { EnsureModuleLoaded(); }
};

[[maybe_unused]] ::testing::Environment* const kModuleEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

} // namespace

void EnsureModuleLoaded()
{
  static const bool loaded = [] {
    const qhost::ModuleStatus status =
        qhost::Host::Instance().LoadModule(QV_BUILD_DIR "/plugins/quorvane/quorvane.dud64");
    EXPECT_EQ(status.error, "");
    return status.error.empty();
  }();
  ASSERT_TRUE(loaded);
}

std::vector<std::string> TakeConsoleLines()
{
  std::vector<std::string> lines = qhost::Console::Instance().Texts();
  qhost::Console::Instance().Clear();
  return lines;
}

RockFixture::RockFixture()
{
  EnsureModuleLoaded();
  doc = BaseDocument::Alloc();
  generator = BaseObject::Alloc(kRockMaker);
  doc->InsertObject(generator, nullptr, nullptr);
  generator->Message(MSG_MENUPREPARE);
  BuildDescription();
  TakeConsoleLines();
}

RockFixture::~RockFixture() { BaseDocument::Free(doc); }

void RockFixture::BuildDescription()
{
  qhost::DescriptionImpl description;
  qhost::BuildDescription(*qhost::Core(generator), description);
}

void RockFixture::Press(Int32 button)
{
  qhost::PressButton(*qhost::Core(generator), button);
  BuildDescription();
}

BaseObject* RockFixture::Build()
{
  qhost::BuildCaches(doc);
  return generator->GetCache();
}

PolygonObject* MakePolygonObject(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons)
{
  PolygonObject* op = PolygonObject::Alloc(Int32(points.size()), Int32(polygons.size()));
  std::copy(points.begin(), points.end(), op->GetPointW());
  std::copy(polygons.begin(), polygons.end(), op->GetPolygonW());
  return op;
}

} // namespace qtest
