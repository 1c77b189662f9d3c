// The figures of one cost pool as the Stage Report shows them: its actual
// value, and how much of it stayed unallocated, was allocated or went as a
// variance. The Cost Flow Chart's tables show the same figures.
#ifndef KORAV_ALLOCATION_REPORTS_STAGE_FIGURES_H_
#define KORAV_ALLOCATION_REPORTS_STAGE_FIGURES_H_

#include <optional>

#include "allocation/model/model_tables.h"

namespace korav {

// A figure that does not apply to the pool is empty (an empty report field).
struct PoolFigures {
  double actual = 0;
  // The whole value of a pool without base in a stage of type 1 or 2.
  std::optional<double> unallocated;
  // The allocation value, when it is not 0.
  std::optional<double> allocated;
  // Actual less allocated, in a stage of type 1 or 2, when it is not 0: sent
  // to the variance pool when the pool has one, else left in the pool.
  std::optional<double> allocation_variance;
  std::optional<double> unallocated_variance;
  // For a member of a solved loop, what the shares of the members in its
  // own stage added to its value: within the stage's actual and allocated
  // figures, never passed on.
  double gross_up = 0;
};

PoolFigures StageFiguresOf(const TmyCP& pool);

// The figures of several pools added up; every sum starts at 0.
struct StageSums {
  double actual = 0;
  double unallocated = 0;
  double allocated = 0;
  double allocation_variance = 0;
  double unallocated_variance = 0;
  double gross_up = 0;

  void Add(const PoolFigures& figures);
  // What the stage passes on to later stages.
  double PassedOn() const { return actual - unallocated - unallocated_variance - gross_up; }
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_STAGE_FIGURES_H_
