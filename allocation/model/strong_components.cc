#include "allocation/model/strong_components.h"

#include <algorithm>
#include <utility>

namespace korav {

// Tarjan's walk: a node's `low` is the earliest-entered node still on the
// stack that its subtree reaches; a node whose low is its own entry number
// closes a component, which is everything above it on the stack.
std::vector<size_t> StrongComponents(const std::vector<std::vector<size_t>>& next) {
  constexpr size_t kUnseen = static_cast<size_t>(-1);
  const size_t n = next.size();
  std::vector<size_t> entered(n, kUnseen);
  std::vector<size_t> low(n, 0);
  std::vector<size_t> component(n, kUnseen);
  std::vector<bool> on_stack(n, false);
  std::vector<size_t> stack;
  std::vector<std::pair<size_t, size_t>> walk;  // node, the index of its next edge
  size_t visited = 0;
  size_t components = 0;
  const auto enter = [&](size_t node) {
    entered[node] = low[node] = visited++;
    stack.push_back(node);
    on_stack[node] = true;
    walk.emplace_back(node, 0);
  };
  for (size_t root = 0; root < n; ++root) {
    if (entered[root] != kUnseen) continue;
    enter(root);
    while (!walk.empty()) {
      const size_t node = walk.back().first;
      const size_t edge = walk.back().second++;
      if (edge < next[node].size()) {
        const size_t to = next[node][edge];
        if (entered[to] == kUnseen) {
          enter(to);
        } else if (on_stack[to]) {
          low[node] = std::min(low[node], entered[to]);
        }
        continue;
      }
      walk.pop_back();
      if (!walk.empty()) low[walk.back().first] = std::min(low[walk.back().first], low[node]);
      if (low[node] != entered[node]) continue;
      size_t member = kUnseen;
      do {
        member = stack.back();
        stack.pop_back();
        on_stack[member] = false;
        component[member] = components;
      } while (member != node);
      ++components;
    }
  }
  return component;
}

}  // namespace korav
