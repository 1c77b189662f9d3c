// What reciprocal allocation leaves of each loop it solved, for the reports
// that follow cost through the loop afterwards.
#ifndef KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_
#define KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korav {

// Pools whose bases allocate into each other, allocated together: each
// member's full cost is its own cost plus its shares of the other members'
// full costs.
struct SolvedLoop {
  std::vector<int32_t> Members;  // pool rows, in code order
  std::vector<double> Own;       // each member's cost before the loop was solved
  // Full[k * n + i], n members: how much of member k's full cost stems from
  // one unit of cost arriving in member i from outside the loop.
  std::vector<double> Full;

  double FullShare(size_t k, size_t i) const { return Full[k * Members.size() + i]; }
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_
