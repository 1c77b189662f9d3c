// The strongly connected components of a directed graph: the loops of the
// "allocates into" graph that reciprocal allocation solves together, and the
// bars that the Cost Flow Chart puts in one column.
#ifndef KORAV_ALLOCATION_MODEL_STRONG_COMPONENTS_H_
#define KORAV_ALLOCATION_MODEL_STRONG_COMPONENTS_H_

#include <cstddef>
#include <vector>

namespace korav {

// The graph's nodes are 0 to next.size() - 1; the edges from node i go to the
// nodes in next[i], each of which must be a node. Returns each node's
// component number, from 0 up. Components are numbered in the order they are
// completed, so an edge between two components always runs from the higher
// number to the lower one, and walking the numbers downwards visits them in
// an order in which every edge leads forward. The walk keeps its own stack,
// so a chain of any length takes no depth of the call stack.
std::vector<size_t> StrongComponents(const std::vector<std::vector<size_t>>& next);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_STRONG_COMPONENTS_H_
