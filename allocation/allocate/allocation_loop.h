// The allocation: after the model and the transactions are loaded, passes
// of resolution and allocation repeat until a pass resolves nothing. A cost
// pool's allocation value is split over the lines of its base in proportion
// to their measures, each share added to the line's output pool and the
// matching part of the value cube moved along; with budgets, the variance
// goes to the pool's variance pool. Everything left unresolved is reported.
#ifndef KORAV_ALLOCATION_ALLOCATE_ALLOCATION_LOOP_H_
#define KORAV_ALLOCATION_ALLOCATE_ALLOCATION_LOOP_H_

#include "allocation/model/share_threshold.h"
#include "allocation/state/engine.h"

namespace korav {

// The line's share of its base's total measure; 0 when the total is 0.
inline double Proportion(const TmyAB& base, const TmyABL& line) {
  return base.TotalMeasure != 0 ? line.Value / base.TotalMeasure : 0;
}

// The whole allocation phase; nothing happens for a model without pools.
void RunAllocation(Engine& engine);

// Sets the pool's Units, EffectiveUnitBudget and AllocValue: its value, or
// with budgets its value budget, unit-based or flexible budget.
void ComputeAllocationValue(Engine& engine, TmyCP& pool);

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_ALLOCATION_LOOP_H_
