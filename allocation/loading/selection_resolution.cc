#include "allocation/loading/selection_resolution.h"

namespace korav {
namespace {

void ResolveDimensionCodes(const ModelTables& model, TmySEL& selection) {
  for (int i = 1; i <= model.dimension_count; ++i) {
    const std::string& code = selection.DimSelect[static_cast<size_t>(i)];
    if (code.empty() || code == "*") continue;
    // An unknown code leaves the dimension unrestricted, as files have
    // always been read; the selection resolution report shows it.
    const int32_t row = model.dimensions[static_cast<size_t>(i)].Values.CodeIndex.Find(code);
    selection.DimIndex[static_cast<size_t>(i)] = row > 0 ? row : 0;
  }
}

void ResolveGroupOwner(Engine& engine, TmySEL& selection) {
  ModelTables& model = engine.model;
  const int32_t group = model.groups.CodeIndex.Find(selection.Code);
  if (group < 0) {
    engine.LogLine("e107 SEL; CPG Code not found; CPG=" + selection.Code);
    return;
  }
  selection.Owner = group;
  if (selection.Kind == kGroupSelectionRecord) {
    model.groups[group].GroupSelections.push_back(selection.Row);
  } else {
    model.groups[group].DimCopyRow = selection.Row;
  }
}

void ResolvePoolOwner(Engine& engine, TmySEL& selection) {
  ModelTables& model = engine.model;
  const int32_t row = model.pools.CodeIndex.Find(selection.Code);
  if (row < 0) {
    engine.LogLine("e108 SEL; CP Code not found; CP=" + selection.Code);
    return;
  }
  selection.Owner = row;
  TmyCP& pool = model.pools[row];
  if (selection.Kind == kPoolSelectionRecord) {
    selection.OwnerRow = row;
    pool.PoolSelections.push_back(selection.Row);
    if (pool.Group > 0) model.groups[pool.Group].PoolSelections.push_back(selection.Row);
  } else if (selection.Kind == kPoolCopyRecord) {
    pool.DimCopyRow = selection.Row;
  } else {
    pool.BudgetVarianceRow = selection.Row;
  }
}

void ResolveMeasureOwner(Engine& engine, TmySEL& selection) {
  ModelTables& model = engine.model;
  const int32_t measure = model.input_measures.CodeIndex.Find(selection.Code);
  if (measure < 0) {
    engine.LogLine("e109 IMS; IM Code not found; IM=" + selection.Code);
  } else {
    selection.Owner = measure;
    model.input_measures[measure].Selections.push_back(selection.Row);
  }
  if (selection.Code2.empty()) return;
  const int32_t pool = model.pools.CodeIndex.Find(selection.Code2);
  if (pool < 0) {
    engine.LogLine("e110 IMS; CPCode2 not found; IM=" + selection.Code + " CP2=" + selection.Code2);
  } else {
    selection.Code2Row = pool;
  }
}

void ResolveTransactionDimensionRow(Engine& engine, TmySEL& selection) {
  const int32_t dimension = engine.options.transaction_dimension;
  if (dimension == 0) {
    engine.LogLine("w DIMT; No transaction dimension (option 2); row not used; DIM=" +
                   selection.Code);
    return;
  }
  ModelTable<TmyDIM>& values = engine.model.dimensions[static_cast<size_t>(dimension)].Values;
  const int32_t value = values.CodeIndex.Find(selection.Code);
  if (value < 0) {
    engine.LogLine("e111 DIMT; DIM Code not found; DIM=" + selection.Code);
    return;
  }
  selection.Owner = value;
  values[value].TransSelection = selection.Row;
}

// The rank character of dimension `d` for `selection`: "Z" for no value,
// one letter lower per level of the selected value.
char RankCharacter(const ModelTables& model, const TmySEL& selection, int d) {
  if (d < 1 || d > model.dimension_count) return 'Z';
  const TmyDIMH& dimension = model.dimensions[static_cast<size_t>(d)];
  const int32_t row = selection.DimIndex[static_cast<size_t>(d)];
  if (dimension.Values.count() == 0 || row == 0) return 'Z';
  return static_cast<char>('Z' - dimension.Values[row].Level);
}

}  // namespace

void ResolveSelections(Engine& engine) {
  ModelTable<TmySEL>& selections = engine.model.selections;
  for (int32_t row = 1; row <= selections.count(); ++row) {
    TmySEL& selection = selections[row];
    ResolveDimensionCodes(engine.model, selection);
    switch (selection.Kind) {
      case kGroupSelectionRecord:
      case kGroupCopyRecord:
        ResolveGroupOwner(engine, selection);
        break;
      case kPoolSelectionRecord:
      case kPoolCopyRecord:
      case kPoolBudgetValueRecord:
        ResolvePoolOwner(engine, selection);
        break;
      case kInputMeasureSelectionRecord:
        ResolveMeasureOwner(engine, selection);
        break;
      case kTransactionDimensionRecord:
        ResolveTransactionDimensionRow(engine, selection);
        break;
      default:
        break;
    }
  }
}

void RankPoolSelections(ModelTables& model) {
  constexpr int kRanks = 6;
  std::string key;
  for (int32_t g = 1; g <= model.groups.count(); ++g) {
    TmyCPG& group = model.groups[g];
    std::array<int, kRanks + 1> ranked{};  // rank r -> dimension
    int ranks = 0;
    for (int k = 1; k <= kRanks; ++k) {
      const int32_t rank = group.DimOrder[static_cast<size_t>(k)];
      if (rank != 0) ++ranks;
      if (rank >= 1 && rank <= kRanks) ranked[static_cast<size_t>(rank)] = k;
    }
    stTsortObj order(stTsortObj::Growth::kSizedOnce);
    order.Init(static_cast<int32_t>(group.PoolSelections.size()), 0);
    for (const int32_t row : group.PoolSelections) {
      const TmySEL& selection = model.selections[row];
      key.assign("zzzzzz");
      key.append(15, ' ');
      for (int r = 1; r <= ranks; ++r) {
        key[static_cast<size_t>(r - 1)] =
            RankCharacter(model, selection, ranked[static_cast<size_t>(r)]);
      }
      for (int d = 1; d <= model.dimension_count; ++d) {
        key[static_cast<size_t>(6 + d - 1)] = RankCharacter(model, selection, d);
      }
      key += selection.Code;
      order.Add(key, row);
    }
    order.Sort();
    for (int32_t position = 1; position <= order.Count(); ++position) {
      group.PoolSelections[static_cast<size_t>(position - 1)] = order.Item(position).Number;
    }
  }
}

}  // namespace korav
