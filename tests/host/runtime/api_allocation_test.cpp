// The API's allocators bound to our host: every family's node types exist,
// unknown ones are refused, and the owning handle frees on every path.
#include <gtest/gtest.h>

#include <utility>

#include "host/core/node_core.h"
#include "host/runtime/host.h"
#include "hostapi/api.h"

namespace qhost {
namespace {

class ApiAllocation : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Host::Instance();
    before_ = NodeCore::LiveCount();
  }
  void TearDown() override { EXPECT_EQ(NodeCore::LiveCount(), before_) << "nodes left behind"; }

  Int64 Added() const { return NodeCore::LiveCount() - before_; }

private:
  Int64 before_ = 0;
};

TEST_F(ApiAllocation, EveryFamilysBuiltInTypesAreAllocatedAndFreed)
{
  BaseObject* polygon = BaseObject::Alloc(Opolygon);
  BaseObject* null = BaseObject::Alloc(Onull);
  BaseShader* noise = BaseShader::Alloc(Xnoise);
  BaseDocument* doc = BaseDocument::Alloc();
  ASSERT_NE(polygon, nullptr);
  ASSERT_NE(null, nullptr);
  ASSERT_NE(noise, nullptr);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(polygon->GetType(), Opolygon);
  EXPECT_EQ(noise->GetType(), Xnoise);
  EXPECT_GE(Added(), 4);
  BaseObject::Free(polygon);
  BaseObject::Free(null);
  BaseShader::Free(noise);
  BaseDocument::Free(doc);
  EXPECT_EQ(polygon, nullptr) << "Free clears the caller's pointer";
}

TEST_F(ApiAllocation, UnknownTypesAreRefusedWithoutANode)
{
  EXPECT_EQ(BaseObject::Alloc(987654321), nullptr);
  EXPECT_EQ(BaseShader::Alloc(987654321), nullptr);
  EXPECT_EQ(Added(), 0);
}

TEST_F(ApiAllocation, AutoFreeFreesAtScopeExitAndOnReset)
{
  {
    AutoFree<BaseObject> op(BaseObject::Alloc(Onull));
    ASSERT_TRUE(op);
    EXPECT_EQ(Added(), 1);
    op.Reset(BaseObject::Alloc(Onull)); // the first one is freed
    EXPECT_EQ(Added(), 1);
    EXPECT_EQ(op->GetType(), Onull);
  }
  EXPECT_EQ(Added(), 0);
}

TEST_F(ApiAllocation, AutoFreeReleaseHandsOwnershipOver)
{
  BaseObject* released = nullptr;
  {
    AutoFree<BaseObject> op(BaseObject::Alloc(Onull));
    released = op.Release();
    EXPECT_FALSE(op);
  }
  ASSERT_NE(released, nullptr);
  EXPECT_EQ(Added(), 1) << "a released object outlives its handle";
  BaseObject::Free(released);
}

TEST_F(ApiAllocation, AutoFreeMovesOwnershipAndFreesWhatItReplaces)
{
  AutoFree<BaseObject> a(BaseObject::Alloc(Onull));
  AutoFree<BaseObject> b(BaseObject::Alloc(Opolygon));
  BaseObject* kept = a.Get();
  b = std::move(a); // b's polygon is freed, a's null now belongs to b
  EXPECT_FALSE(a);
  EXPECT_EQ(b.Get(), kept);
  EXPECT_EQ(Added(), 1);
  AutoFree<BaseObject> c(std::move(b));
  EXPECT_EQ(c.Get(), kept);
  EXPECT_EQ(Added(), 1);
}

TEST(HostModules, AMissingModuleFileIsAnErrorNamingIt)
{
  const ModuleStatus status = Host::Instance().LoadModule("/nonexistent/folder/missing.dud64");
  EXPECT_NE(status.error.find("missing.dud64"), std::string::npos) << status.error;
}

} // namespace
} // namespace qhost
