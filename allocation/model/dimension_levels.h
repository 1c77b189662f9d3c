// The hierarchy of one dimension: each value's parent, level and path of
// ancestors, the "Y" summarising targets, and the hierarchy order in which
// every value comes after all of its descendants and siblings follow their
// code order.
#ifndef KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_
#define KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "allocation/model/model_tables.h"

namespace korav {

// Sets ParentIndex, Level, Path, Summarise ("o" below a "Y" value),
// SummariseTarget and the dimension's MaxLevel. The dimension's code index
// must be sorted. A value whose parent is unknown, and its descendants, keep
// Level 0. So does every value whose chain of parents loops or runs deeper
// than kMaxLevels levels; those values are returned, in row order, for the
// caller to report. Takes time linear in the number of values.
std::vector<int32_t> BuildLevels(TmyDIMH& dimension);

// The value's code followed by those of its parents, joined by "->", for a
// message: it ends at a top value, at an unknown parent, or at the first code
// that repeats; after kMaxLevels + 1 codes it ends in "->...".
std::string ParentChainText(const TmyDIMH& dimension, int32_t row);

// Sets KeyWidth and every value's HierarchyPos; needs the levels.
void BuildHierarchyOrder(TmyDIMH& dimension);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_DIMENSION_LEVELS_H_
