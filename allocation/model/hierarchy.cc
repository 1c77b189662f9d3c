#include "allocation/model/hierarchy.h"

namespace korav {

bool IsWithin(const ModelTables& model, int d, int32_t a, int32_t v) {
  if (a == 0) return true;
  const ModelTable<TmyDIM>& values = model.dimensions[static_cast<size_t>(d)].Values;
  const int32_t level = values[a].Level;
  if (level == 0) return v == a;
  // Row 0 (no value) has Level 0 and so lies under no value.
  const TmyDIM& value = values[v];
  return value.Level >= level && value.Path[static_cast<size_t>(level)] == a;
}

}  // namespace korav
