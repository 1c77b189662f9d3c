// Selection rows resolved against the model: each row's dimension codes to
// value rows, its owner (group, pool, input measure or transaction dimension
// value), the owners' lists of rows, and the ranking of each group's pool
// selections from most to least specific.
#ifndef KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_
#define KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_

#include "allocation/state/engine.h"

namespace korav {

// Resolves every selection row in table order, logging e107 to e111 for
// owners that are not found. Code indexes must be sorted.
void ResolveSelections(Engine& engine);

// Orders each group's PoolSelections: rows selecting deeper values in the
// group's higher-ranked dimensions first, catch-all rows last, ties by pool
// code.
void RankPoolSelections(ModelTables& model);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_
