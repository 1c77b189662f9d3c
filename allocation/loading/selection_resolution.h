// Selection rows resolved against the model: each row's dimension codes to
// value rows, its owner (group, pool, input measure or transaction dimension
// value), the owners' lists of rows, and the ranking of each group's pool
// selections from most to least specific.
#ifndef KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_
#define KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_

#include <string>

#include "allocation/state/engine.h"

namespace korav {

// Resolves every selection row in table order, logging e107 to e111 for
// owners that are not found. Code indexes must be sorted.
void ResolveSelections(Engine& engine);

// Orders each group's PoolSelections: rows selecting deeper values in the
// group's higher-ranked dimensions first, catch-all rows last, ties by pool
// code.
void RankPoolSelections(ModelTables& model);

// True when `selection` admits the code numbers `codes` (1..dimension count;
// 0 for no value): a dimension the row leaves open admits everything, else
// the code must be the row's value or lie below it in the hierarchy
// (`IsWithin`); a value of level 0 admits only itself.
bool SelectionMatches(const ModelTables& model, const TmySEL& selection,
                      const std::array<int32_t, kMaxDimensions + 1>& codes);

// For selection row `row`: "," and the code of its value for each dimension
// (",*" where it selects all). For row 0: "," and each dimension's name.
std::string SelectionText(const ModelTables& model, int32_t row);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_SELECTION_RESOLUTION_H_
