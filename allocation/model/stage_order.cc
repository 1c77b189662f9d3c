#include "allocation/model/stage_order.h"

#include <algorithm>

namespace korav {

std::vector<int32_t> StagesInFlowOrder(const ModelTables& model) {
  std::vector<int32_t> stages;
  const stTsortObj& codes = model.stages.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    stages.push_back(codes.Item(position).Number);
  }
  std::stable_sort(stages.begin(), stages.end(), [&model](int32_t a, int32_t b) {
    return model.stages[a].STGType < model.stages[b].STGType;
  });
  return stages;
}

int32_t StageOf(const ModelTables& model, const TmyCP& pool) {
  return pool.Group == 0 ? 0 : model.groups[pool.Group].Stage;
}

}  // namespace korav
