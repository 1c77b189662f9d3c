// Questions about a selection row once its codes are resolved to value rows.
#ifndef KORAV_ALLOCATION_MODEL_SELECTION_QUERIES_H_
#define KORAV_ALLOCATION_MODEL_SELECTION_QUERIES_H_

#include <array>
#include <cstdint>
#include <string>

#include "allocation/model/model_tables.h"

namespace korav {

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

#endif  // KORAV_ALLOCATION_MODEL_SELECTION_QUERIES_H_
