// The order in which cost flows through the stages, which every report that
// lists stages by flow follows.
#ifndef KORAV_ALLOCATION_MODEL_STAGE_ORDER_H_
#define KORAV_ALLOCATION_MODEL_STAGE_ORDER_H_

#include <cstdint>
#include <vector>

#include "allocation/model/model_tables.h"

namespace korav {

// The stage rows from input through intermediate and final to reporting;
// stages of one type in code order.
std::vector<int32_t> StagesInFlowOrder(const ModelTables& model);

// The stage row of `pool`'s group; 0 when it has no group or its group no
// stage.
int32_t StageOf(const ModelTables& model, const TmyCP& pool);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_STAGE_ORDER_H_
