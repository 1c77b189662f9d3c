#include "allocation/reports/pool_flows.h"

#include <cmath>

#include "allocation/model/share_threshold.h"

namespace korav {

void AppendPoolFlows(const Engine& engine, int32_t pool, std::vector<PoolFlow>& flows) {
  const ModelTables& model = engine.model;
  const TmyCP& sender = model.pools[pool];
  if (sender.Base == 0) return;
  int32_t position = 0;
  for (const int32_t index : model.bases[sender.Base].Lines) {
    const TmyABL& line = model.base_lines[index];
    ++position;
    if (line.Output == 0) continue;
    if (!sender.Allocated) {
      flows.push_back({FlowKind::kNotAllocated, pool, line.Output, position, line.Propn, 0});
      continue;
    }
    const double amount = line.Propn * sender.AllocValue;
    if (std::fabs(amount) <= kShareThreshold) continue;
    flows.push_back({FlowKind::kAllocation, pool, line.Output, position, line.Propn, amount});
  }
  const bool budgets = engine.options.slots[kBudgetOption].IsSet;
  if (sender.Allocated && budgets && sender.BudgetMethod != 0 && sender.VariancePool != 0) {
    flows.push_back(
        {FlowKind::kVariance, pool, sender.VariancePool, 0, 0, sender.Value - sender.AllocValue});
  }
}

}  // namespace korav
