// Questions about a dimension's hierarchy once its levels and paths are built.
#ifndef KORAV_ALLOCATION_MODEL_HIERARCHY_H_
#define KORAV_ALLOCATION_MODEL_HIERARCHY_H_

#include <cstdint>

#include "allocation/model/model_tables.h"

namespace korav {

// True when value row `v` of dimension `d` lies under value row `a` or is `a`
// itself; `a` = 0 admits every value, including code number 0. A value of
// Level 0 (its parent chain is broken) has no path to compare with, so as `a`
// it admits only itself.
bool IsWithin(const ModelTables& model, int d, int32_t a, int32_t v);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_HIERARCHY_H_
