// The hierarchy of one dimension: each value's parent, level and path of
// ancestors, the "Y" summarising targets, and the hierarchy order in which
// every value comes after all of its descendants and siblings follow their
// code order.
#ifndef KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_
#define KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_

#include "allocation/model/model_tables.h"

namespace korav {

// Sets ParentIndex, Level, Path, Summarise ("o" below a "Y" value),
// SummariseTarget and the dimension's MaxLevel. The dimension's code index
// must be sorted. A value whose parent is unknown, and its descendants, keep
// Level 0.
void BuildLevels(TmyDIMH& dimension);

// Sets KeyWidth and every value's HierarchyPos; needs the levels.
void BuildHierarchyOrder(TmyDIMH& dimension);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_
