#include "allocation/model/dimension_levels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace korav {

void BuildLevels(TmyDIMH& dimension) {
  ModelTable<TmyDIM>& values = dimension.Values;
  dimension.MaxLevel = 0;
  for (int32_t row = 1; row <= values.count(); ++row) {
    TmyDIM& value = values[row];
    value.Path.fill(0);
    if (!value.ParentCode.empty()) {
      value.ParentIndex = std::max(0, values.CodeIndex.Find(value.ParentCode));
      value.Level = 0;
    } else {
      value.ParentIndex = 0;
      value.Level = 1;
      value.Path[1] = row;
      value.SummariseTarget = 0;
    }
  }
  // Values may stand before their parents in the file, so sweep until a
  // sweep places no further value.
  for (bool changed = true; changed;) {
    changed = false;
    for (int32_t row = 1; row <= values.count(); ++row) {
      TmyDIM& value = values[row];
      if (value.ParentIndex == 0 || value.Level != 0) continue;
      const TmyDIM& parent = values[value.ParentIndex];
      if (parent.Level == 0) continue;
      value.Level = std::min(parent.Level + 1, kMaxLevels);
      dimension.MaxLevel = std::max(dimension.MaxLevel, value.Level);
      value.Path = parent.Path;
      value.Path[static_cast<size_t>(value.Level)] = row;
      if (value.Summarise != 'Y' && (parent.Summarise == 'Y' || parent.Summarise == 'o')) {
        value.Summarise = 'o';
      }
      value.SummariseTarget = value.Summarise == 'o' ? parent.SummariseTarget : row;
      changed = true;
    }
  }
}

void BuildHierarchyOrder(TmyDIMH& dimension) {
  ModelTable<TmyDIM>& values = dimension.Values;
  const int32_t count = values.count();
  if (count == 0) return;
  dimension.KeyWidth = static_cast<int32_t>(std::floor(std::log10(count))) + 1;
  const stTsortObj& codes = values.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    values[codes.Item(position).Number].HierarchyPos = position;
  }
  // Digits sort before "z", so a descendant's key, which extends its
  // ancestor's digits, sorts before the ancestor's own "z".
  stTsortObj order(stTsortObj::Growth::kSizedOnce);
  order.Init(count, 0);
  std::string key;
  char digits[16];
  for (int32_t row = 1; row <= count; ++row) {
    const TmyDIM& value = values[row];
    key.clear();
    for (int32_t k = 1; k <= value.Level; ++k) {
      const int32_t ancestor = value.Path[static_cast<size_t>(k)];
      std::snprintf(digits, sizeof digits, "%0*d", static_cast<int>(dimension.KeyWidth),
                    values[ancestor].HierarchyPos);
      key += digits;
    }
    key += 'z';
    order.Add(key, row);
  }
  order.Sort();
  for (int32_t position = 1; position <= count; ++position) {
    values[order.Item(position).Number].HierarchyPos = position;
  }
}

}  // namespace korav
