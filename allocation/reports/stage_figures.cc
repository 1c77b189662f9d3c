#include "allocation/reports/stage_figures.h"

namespace korav {

PoolFigures StageFiguresOf(const TmyCP& pool) {
  PoolFigures figures;
  figures.actual = pool.Value;
  figures.gross_up = pool.GrossUpWithinStage;
  const bool passes_on = pool.STGType <= StageType::kIntermediate;
  if (pool.Base == 0 && passes_on) figures.unallocated = pool.Value;
  if (pool.AllocValue != 0) figures.allocated = pool.AllocValue;
  const double variance = pool.Value - pool.AllocValue;
  if (passes_on && variance != 0 && pool.Base != 0) {
    if (pool.VariancePool != 0) {
      figures.allocation_variance = variance;
    } else {
      figures.unallocated_variance = variance;
    }
  }
  return figures;
}

void StageSums::Add(const PoolFigures& figures) {
  actual += figures.actual;
  unallocated += figures.unallocated.value_or(0);
  allocated += figures.allocated.value_or(0);
  allocation_variance += figures.allocation_variance.value_or(0);
  unallocated_variance += figures.unallocated_variance.value_or(0);
  gross_up += figures.gross_up;
}

}  // namespace korav
