// Node lists and node destruction, on core's own node types: a list keeps its
// links consistent in both directions, and destroying a node frees everything
// it owns exactly once.
#include <gtest/gtest.h>

#include <vector>

#include "host/core/node_core.h"
#include "host/core/simple_nodes.h"

namespace qhost {
namespace {

// A node that counts its destructions.
class CountedNode final : public Node<RenderData>
{
public:
  explicit CountedNode(int& destroyed) : Node(NodeClass::RenderData, Rbase), destroyed_(destroyed) {}
  ~CountedNode() override { ++destroyed_; }

private:
  int& destroyed_;
};

// The nodes of a list from first to last, checking every back link on the way.
std::vector<NodeCore*> Walk(const NodeList& list)
{
  std::vector<NodeCore*> nodes;
  NodeCore* pred = nullptr;
  for (NodeCore* n = list.first; n; n = n->next)
  {
    EXPECT_EQ(n->pred, pred);
    EXPECT_EQ(n->list, &list);
    nodes.push_back(n);
    pred = n;
  }
  EXPECT_EQ(list.Last(), pred);
  EXPECT_EQ(list.Count(), Int32(nodes.size()));
  return nodes;
}

TEST(NodeLists, AppendAndInsertKeepOrderAndBackLinks)
{
  int destroyed = 0;
  auto* parent = new CountedNode(destroyed);
  auto* a = new CountedNode(destroyed);
  auto* b = new CountedNode(destroyed);
  auto* c = new CountedNode(destroyed);
  parent->children.Append(a);
  parent->children.Append(c);
  parent->children.InsertAfter(b, a);
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{a, b, c}));

  b->Unlink();
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{a, c}));
  EXPECT_EQ(b->list, nullptr);
  EXPECT_EQ(b->next, nullptr);
  EXPECT_EQ(b->pred, nullptr);

  // A null predecessor inserts at the front.
  parent->children.InsertAfter(b, nullptr);
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{b, a, c}));

  // The list's end follows unlinking the last node, and appending after it.
  c->Unlink();
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{b, a}));
  parent->children.Append(c);
  parent->children.InsertAfter(a, c);
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{b, c, a}));
  for (NodeCore* node : {a, b, c})
    node->Unlink();
  EXPECT_TRUE(Walk(parent->children).empty());
  for (NodeCore* node : {a, b, c})
    parent->children.Append(node);
  EXPECT_EQ(Walk(parent->children), (std::vector<NodeCore*>{a, b, c}));
  DestroyNode(parent);
  EXPECT_EQ(destroyed, 4);
}

TEST(NodeLists, ParentAndOwnerTellHierarchyFromBranch)
{
  int destroyed = 0;
  auto* owner = new CountedNode(destroyed);
  auto* child = new CountedNode(destroyed);
  auto* track = new TrackNode(DescID(1000));
  owner->children.Append(child);
  owner->tracks.Append(track);
  EXPECT_EQ(child->Parent(), owner);
  EXPECT_EQ(child->Owner(), nullptr);
  EXPECT_EQ(track->Parent(), nullptr);
  EXPECT_EQ(track->Owner(), owner);
  DestroyNode(owner);
  EXPECT_EQ(destroyed, 2);
}

TEST(NodeLists, DestroyingANodeFreesItsChildrenAndBranchesOnceAndUnlinksIt)
{
  int destroyed = 0;
  auto* root = new CountedNode(destroyed);
  auto* middle = new CountedNode(destroyed);
  auto* sibling = new CountedNode(destroyed);
  root->children.Append(middle);
  root->children.Append(sibling);
  middle->children.Append(new CountedNode(destroyed));
  middle->shaders.Append(new CountedNode(destroyed));
  middle->tags.Append(new CountedNode(destroyed));

  DestroyNode(middle);
  EXPECT_EQ(destroyed, 4);
  EXPECT_EQ(Walk(root->children), (std::vector<NodeCore*>{sibling}));
  EXPECT_EQ(sibling->pred, nullptr);

  DestroyNode(root);
  EXPECT_EQ(destroyed, 6);
}

TEST(NodeLists, LiveCountFollowsCreationAndDestruction)
{
  const Int64 before = NodeCore::LiveCount();
  auto* track = new TrackNode(DescID(1000));
  track->tracks.Append(new TrackNode(DescID(1001)));
  EXPECT_EQ(NodeCore::LiveCount(), before + 2);
  DestroyNode(track);
  EXPECT_EQ(NodeCore::LiveCount(), before);
}

TEST(NodeLists, DestroyAllEmptiesTheList)
{
  int destroyed = 0;
  NodeList list;
  for (int i = 0; i < 3; ++i)
    list.Append(new CountedNode(destroyed));
  list.DestroyAll();
  EXPECT_EQ(destroyed, 3);
  EXPECT_EQ(list.first, nullptr);
  EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace qhost
