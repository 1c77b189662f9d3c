#include "allocation/model/selection_queries.h"

#include "allocation/model/hierarchy.h"

namespace korav {

bool SelectionMatches(const ModelTables& model, const TmySEL& selection,
                      const std::array<int32_t, kMaxDimensions + 1>& codes) {
  // The same test as the value cube's selected sums, so that a row admits
  // the same values whether it picks transactions or sums a pool's entries.
  for (int k = 1; k <= model.dimension_count; ++k) {
    const size_t i = static_cast<size_t>(k);
    if (!IsWithin(model, k, selection.DimIndex[i], codes[i])) return false;
  }
  return true;
}

std::string SelectionText(const ModelTables& model, int32_t row) {
  std::string text;
  for (int d = 1; d <= model.dimension_count; ++d) {
    const TmyDIMH& dimension = model.dimensions[static_cast<size_t>(d)];
    text += ',';
    if (row == 0) {
      text += dimension.Name;
      continue;
    }
    const int32_t value = model.selections[row].DimIndex[static_cast<size_t>(d)];
    text += value == 0 ? std::string("*") : dimension.Values[value].Code;
  }
  return text;
}

}  // namespace korav
