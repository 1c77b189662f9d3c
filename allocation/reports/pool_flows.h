// What the allocation moved out of a cost pool, flow by flow: the share that
// each line of its base carried to the line's output pool and the variance
// sent to its variance pool. The Cost Flow Chart draws these flows and the
// results export lists them, so both show for a flow the figure that the
// Cost Pool Report prints for its base line (the line's proportion times the
// pool's allocation value) and that the allocation sent.
#ifndef KORAV_ALLOCATION_REPORTS_POOL_FLOWS_H_
#define KORAV_ALLOCATION_REPORTS_POOL_FLOWS_H_

#include <cstdint>
#include <vector>

#include "allocation/state/engine.h"

namespace korav {

enum class FlowKind {
  kAllocation,    // moved through a line of the sender's base
  kVariance,      // the difference sent to the sender's variance pool
  kNotAllocated,  // a base line of a pool that has not allocated: nothing moved
};

struct PoolFlow {
  FlowKind kind = FlowKind::kAllocation;
  int32_t from = 0;  // pool rows
  int32_t to = 0;
  int32_t line = 0;       // the base line's position within its base, from 1; 0 for a variance
  double proportion = 0;  // the base line's; 0 for a variance
  double amount = 0;      // 0 for a line of a pool that has not allocated
};

// Appends the flows out of pool row `pool` to `flows`: one for each line of
// its base that names an output pool, in the base's order, then its variance
// when it sent one (budgets on, a budget method and a variance pool; of any
// amount, 0 included). A share of kShareThreshold or less stayed in the pool,
// as the allocation leaves it, and is no flow. A member of a loop solved by
// option 11 sends its shares of its full cost, to the other members too.
void AppendPoolFlows(const Engine& engine, int32_t pool, std::vector<PoolFlow>& flows);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_POOL_FLOWS_H_
