// What reciprocal allocation leaves of each loop it solved, for the reports
// that follow cost through the loop afterwards.
#ifndef KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_
#define KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korav {

// How the members' full costs stem from cost arriving in the members from
// outside the loop: M, n x n for n members, M_ki the part of member k's full
// cost per unit of cost arriving in member i. A large loop keeps only what
// it takes to work out a column or a row of M when asked, never all of it.
class LoopFullCosts {
 public:
  virtual ~LoopFullCosts() = default;
  // Column i of M: every member's full cost per unit arriving in member i.
  virtual std::vector<double> PerUnitIn(size_t i) const = 0;
  // Row k of M: member k's full cost per unit arriving in each member.
  virtual std::vector<double> PerUnitFor(size_t k) const = 0;
};

// Pools whose bases allocate into each other, allocated together: each
// member's full cost is its own cost plus its shares of the other members'
// full costs.
struct SolvedLoop {
  std::vector<int32_t> Members;  // pool rows, in code order
  std::vector<double> Own;       // each member's cost before the loop was solved
  std::shared_ptr<const LoopFullCosts> Full;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_SOLVED_LOOP_H_
