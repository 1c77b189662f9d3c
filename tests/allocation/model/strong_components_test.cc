#include "allocation/model/strong_components.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <vector>

namespace korav {
namespace {

using Graph = std::vector<std::vector<size_t>>;
using Partition = std::set<std::set<size_t>>;

Partition PartitionOf(const std::vector<size_t>& component) {
  std::vector<std::set<size_t>> members(component.size());
  for (size_t node = 0; node < component.size(); ++node) members.at(component[node]).insert(node);
  Partition partition;
  for (const std::set<size_t>& set : members) {
    if (!set.empty()) partition.insert(set);
  }
  return partition;
}

// Every edge between two components runs from the higher number to the
// lower one, which is what lets a caller order the components.
void ExpectEdgesRunDown(const Graph& graph, const std::vector<size_t>& component) {
  for (size_t from = 0; from < graph.size(); ++from) {
    for (const size_t to : graph[from]) {
      if (component[from] != component[to]) {
        EXPECT_GT(component[from], component[to]) << from << " -> " << to;
      }
    }
  }
}

TEST(StrongComponentsTest, GroupsTheNodesThatReachEachOther) {
  struct Case {
    const char* name;
    Graph graph;
    Partition expected;
  };
  const std::vector<Case> cases = {
      {"no nodes", {}, {}},
      {"a chain", {{1}, {2}, {}}, {{0}, {1}, {2}}},
      {"a node into itself stays alone", {{0, 1}, {}}, {{0}, {1}}},
      {"a loop with a tail in and out", {{1}, {2}, {3, 1}, {4}, {}}, {{0}, {1, 2}, {3}, {4}}},
      {"two loops joined one way", {{1}, {0, 2}, {3}, {2}}, {{0, 1}, {2, 3}}},
      {"loops sharing a node", {{1}, {0, 2}, {1}, {}}, {{0, 1, 2}, {3}}},
      {"edges repeated and reached late", {{3, 3}, {0}, {1}, {2, 2}}, {{0, 1, 2, 3}}},
      {"a diamond", {{1, 2}, {3}, {3}, {}}, {{0}, {1}, {2}, {3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<size_t> component = StrongComponents(c.graph);
    ASSERT_EQ(component.size(), c.graph.size());
    EXPECT_EQ(PartitionOf(component), c.expected);
    ExpectEdgesRunDown(c.graph, component);
  }
}

TEST(StrongComponentsTest, LongChainsAndLoopsTakeNoCallStack) {
  constexpr size_t kNodes = 100000;
  Graph chain(kNodes);
  for (size_t node = 0; node + 1 < kNodes; ++node) chain[node].push_back(node + 1);
  const std::vector<size_t> separate = StrongComponents(chain);
  EXPECT_EQ(PartitionOf(separate).size(), kNodes);
  ExpectEdgesRunDown(chain, separate);

  chain.back().push_back(0);
  const std::vector<size_t> one = StrongComponents(chain);
  EXPECT_EQ(PartitionOf(one).size(), 1u);
}

}  // namespace
}  // namespace korav
