#include "allocation/model/dimension_levels.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/numbers.h"

namespace korav {

namespace {

// Where a value's chain of parents ends, for the values the sweep left at
// Level 0 although they name a parent that exists.
enum class ChainEnd : uint8_t { kUnknown, kWalking, kUnknownParent, kBroken };

// Marks each value that names a parent but has no level: its chain ends at
// an unknown parent (e130 already says so) or it is broken, because it
// loops or reaches a value at the deepest level. Each value is walked over
// once: a walk stops at the first value whose end is known.
std::vector<int32_t> FindBrokenChains(const ModelTable<TmyDIM>& values) {
  std::vector<ChainEnd> ends(static_cast<size_t>(values.count()) + 1, ChainEnd::kUnknown);
  std::vector<int32_t> walk;
  std::vector<int32_t> broken;
  for (int32_t row = 1; row <= values.count(); ++row) {
    if (values[row].Level != 0 || values[row].ParentIndex == 0) continue;
    walk.clear();
    int32_t current = row;
    ChainEnd end = ChainEnd::kUnknown;
    while (end == ChainEnd::kUnknown) {
      const TmyDIM& value = values[current];
      const ChainEnd known = ends[static_cast<size_t>(current)];
      if (value.Level != 0 || known == ChainEnd::kWalking) {
        end = ChainEnd::kBroken;
      } else if (known != ChainEnd::kUnknown) {
        end = known;
      } else if (value.ParentIndex == 0) {
        end = ChainEnd::kUnknownParent;
      } else {
        ends[static_cast<size_t>(current)] = ChainEnd::kWalking;
        walk.push_back(current);
        current = value.ParentIndex;
      }
    }
    for (const int32_t walked : walk) ends[static_cast<size_t>(walked)] = end;
    if (end == ChainEnd::kBroken) broken.push_back(row);
  }
  return broken;
}

}  // namespace

std::vector<int32_t> BuildLevels(TmyDIMH& dimension) {
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
  // sweep places no further value. A value is placed at the latest in the
  // sweep after its parent, and none deeper than kMaxLevels, so this ends
  // after at most kMaxLevels sweeps however the values are ordered.
  for (bool changed = true; changed;) {
    changed = false;
    for (int32_t row = 1; row <= values.count(); ++row) {
      TmyDIM& value = values[row];
      if (value.ParentIndex == 0 || value.Level != 0) continue;
      const TmyDIM& parent = values[value.ParentIndex];
      if (parent.Level == 0 || parent.Level == kMaxLevels) continue;
      value.Level = parent.Level + 1;
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
  return FindBrokenChains(values);
}

std::string ParentChainText(const TmyDIMH& dimension, int32_t row) {
  const ModelTable<TmyDIM>& values = dimension.Values;
  std::vector<int32_t> chain{row};
  std::string text = values[row].Code;
  for (int32_t current = values[row].ParentIndex; current != 0;
       current = values[current].ParentIndex) {
    if (chain.size() > static_cast<size_t>(kMaxLevels)) return text + "->...";
    text += "->" + values[current].Code;
    if (std::find(chain.begin(), chain.end(), current) != chain.end()) break;
    chain.push_back(current);
  }
  return text;
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
  for (int32_t row = 1; row <= count; ++row) {
    const TmyDIM& value = values[row];
    key.clear();
    for (int32_t k = 1; k <= value.Level; ++k) {
      const int32_t ancestor = value.Path[static_cast<size_t>(k)];
      AppendZeroPadded(key, values[ancestor].HierarchyPos, dimension.KeyWidth);
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
