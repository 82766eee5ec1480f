// The host's element list and how a node's description is assembled from its
// plug-in and its static resource.
#include <gtest/gtest.h>

#include "description_support.h"
#include "host/core/node_factory.h"
#include "host/description/description_impl.h"

namespace qhost {
namespace {

using test::BareNode;

BaseContainer Settings(Int32 dtype, const char* name)
{
  BaseContainer s(dtype);
  s.SetString(DESC_NAME, name);
  return s;
}

// A node type of the test's own with a static description and no plug-in.
constexpr Int32 kBareType = 990001;

const DescriptionResource& BareDescription()
{
  static const DescriptionResource resource = [] {
    DescriptionResource r;
    r.name = "bare";
    r.elements.push_back(DescElement{DescID(100), Settings(DTYPE_GROUP, "Main"), DescID()});
    r.elements.push_back(DescElement{DescID(101), Settings(DTYPE_REAL, "Size"), DescID(100)});
    r.elements.push_back(DescElement{DescID(102), Settings(DTYPE_BOOL, "Visible"), DescID()});
    NodeFactory::Instance().RegisterBuiltinDescription(kBareType, r);
    return r;
  }();
  return resource;
}

std::vector<Int32> Ids(const DescriptionImpl& d)
{
  std::vector<Int32> ids;
  for (const DescElement& e : d.Elements())
    ids.push_back(e.id[0].id);
  return ids;
}

TEST(DescriptionElements, KeepInsertionOrderAndReplaceInPlace)
{
  DescriptionImpl d;
  EXPECT_TRUE(d.SetParameter(DescID(3), Settings(DTYPE_REAL, "c"), DescID()));
  EXPECT_TRUE(d.SetParameter(DescID(1), Settings(DTYPE_LONG, "a"), DescID(3)));
  EXPECT_TRUE(d.SetParameter(DescID(2), Settings(DTYPE_BOOL, "b"), DescID()));
  EXPECT_TRUE(d.SetParameter(DescID(1), Settings(DTYPE_REAL, "a2"), DescID(2)));
  EXPECT_EQ(Ids(d), (std::vector<Int32>{3, 1, 2}));
  const DescElement* replaced = d.Find(DescID(1));
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(replaced->Type(), DTYPE_REAL);
  EXPECT_EQ(replaced->settings.GetString(DESC_NAME), "a2");
  EXPECT_EQ(replaced->parent, DescID(2));
  EXPECT_EQ(d.GetParameter(DescID(1)), &replaced->settings);
}

TEST(DescriptionElements, RefuseEmptyIdsAndUntypedSettings)
{
  DescriptionImpl d;
  EXPECT_FALSE(d.SetParameter(DescID(), Settings(DTYPE_REAL, "x"), DescID()));
  EXPECT_FALSE(d.SetParameter(DescID(7), Settings(DTYPE_NONE, "x"), DescID()));
  EXPECT_TRUE(d.Elements().empty());
  EXPECT_EQ(d.GetParameter(DescID(7)), nullptr);
}

TEST(DescriptionElements, ComponentIdsAreElementsOfTheirOwn)
{
  DescriptionImpl d;
  ASSERT_TRUE(d.SetParameter(DescID(5), Settings(DTYPE_VECTOR, "v"), DescID()));
  EXPECT_EQ(d.GetParameter(DescID(DescLevel(5), DescLevel(1000))), nullptr);
  ASSERT_TRUE(d.SetParameter(DescID(DescLevel(5), DescLevel(1000)), Settings(DTYPE_REAL, "v.x"), DescID()));
  EXPECT_EQ(d.Elements().size(), 2u);
}

TEST(DescriptionElements, SingleIdIsCopiedAndCleared)
{
  DescriptionImpl d;
  EXPECT_EQ(d.GetSingleDescID(), nullptr);
  {
    const DescID asked(42);
    d.SetSingleDescID(&asked);
  }
  ASSERT_NE(d.GetSingleDescID(), nullptr);
  EXPECT_EQ(*d.GetSingleDescID(), DescID(42));
  d.SetSingleDescID(nullptr);
  EXPECT_EQ(d.GetSingleDescID(), nullptr);
}

TEST(StaticDescription, LoadsInResourceOrderAndMergesWhenLoadedAgain)
{
  const DescriptionResource& resource = BareDescription();
  DescriptionImpl d;
  EXPECT_FALSE(d.LoadDescription(990999));
  EXPECT_TRUE(d.Elements().empty());

  ASSERT_TRUE(d.SetParameter(DescID(500), Settings(DTYPE_LONG, "added"), DescID()));
  ASSERT_TRUE(d.LoadDescription(kBareType));
  ASSERT_TRUE(d.LoadDescription(kBareType));
  EXPECT_EQ(Ids(d), (std::vector<Int32>{500, 100, 101, 102}));
  EXPECT_EQ(d.Find(DescID(101))->parent, resource.elements[1].parent);
  EXPECT_EQ(d.Find(DescID(101))->settings, resource.elements[1].settings);
}

TEST(StaticDescription, NodeWithoutPluginGetsItsTypesDescription)
{
  BareDescription();
  BareNode node(kBareType);
  DescriptionImpl d;
  ASSERT_TRUE(d.SetParameter(DescID(900), Settings(DTYPE_LONG, "stale"), DescID()));
  EXPECT_TRUE(BuildDescription(node, d));
  EXPECT_EQ(Ids(d), (std::vector<Int32>{100, 101, 102}));

  BareNode unknown(990998);
  EXPECT_FALSE(BuildDescription(unknown, d));
  EXPECT_TRUE(d.Elements().empty());
}

} // namespace
} // namespace qhost
