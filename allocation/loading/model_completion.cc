// Completing the model: the steps run once, at the first transaction, report
// or copy record, that turn the parsed rows into a linked model. Each code
// that names another record is looked up; one that is not found is logged
// and its link left empty, and the run goes on.
#include "allocation/loading/model_completion.h"

#include <cstdio>
#include <string>

#include "allocation/loading/record_parsers.h"
#include "allocation/loading/selection_resolution.h"
#include "allocation/model/dimension_levels.h"
#include "common/numbers.h"

namespace korav {
namespace {

// Logs e101 for each pair of equal neighbours in the sorted `index`.
void ReportDuplicates(Engine& engine, const stTsortObj& index, const std::string& name) {
  for (int32_t position = 2; position <= index.Count(); ++position) {
    const std::string& code = index.Item(position).Key;
    if (code == index.Item(position - 1).Key) {
      engine.LogLine("e101 " + name + "; Duplicate Code; " + name + "=" + code);
    }
  }
}

template <typename Row>
void SortCodes(Engine& engine, ModelTable<Row>& table, const std::string& name) {
  table.CodeIndex.Sort();
  ReportDuplicates(engine, table.CodeIndex, name);
}

void IndexDimensions(Engine& engine) {
  for (int d = 1; d <= engine.model.dimension_count; ++d) {
    TmyDIMH& dimension = engine.model.dimensions[static_cast<size_t>(d)];
    ModelTable<TmyDIM>& values = dimension.Values;
    if (values.count() == 0) continue;
    for (int32_t row = 1; row <= values.count(); ++row) values.CodeIndex.Add(values[row].Code, row);
    values.CodeIndex.Sort();
    engine.LogLine("iEnd of Dimension; " + dimension.Name + "; Nr Recs " +
                   std::to_string(values.count()));
    ReportDuplicates(engine, values.CodeIndex, "Dim" + std::to_string(d));
    for (int32_t row = 1; row <= values.count(); ++row) {
      const TmyDIM& value = values[row];
      if (!value.ParentCode.empty() && values.CodeIndex.Find(value.ParentCode) < 0) {
        engine.LogLine("e130 DIM; Parent Code not found; DIMH=" + std::to_string(d) + "," +
                       dimension.Name + " DIM=" + value.Code + " parent=" + value.ParentCode);
      }
    }
  }
}

// One direct base, of one constant line of value 1 into the target, serves
// every pool whose base is ">" followed by that target.
void GenerateDirectBases(Engine& engine) {
  ModelTable<TmyCP>& pools = engine.model.pools;
  pools.CodeIndex.Sort();
  for (int32_t row = 1; row <= pools.count(); ++row) pools[row].DirectBaseMade = false;
  for (int32_t row = 1; row <= pools.count(); ++row) {
    const std::string base = pools[row].BaseCode;
    if (base.empty() || base.front() != '>') continue;
    const int32_t target = pools.CodeIndex.Find(std::string_view(base).substr(1));
    if (target < 0 || pools[target].DirectBaseMade) continue;
    pools[target].DirectBaseMade = true;
    ParseGeneratedRecord(engine, "AB," + base + ",>direct");
    ParseGeneratedRecord(engine, "ABL," + base + ",>direct,C,1," + base.substr(1));
  }
}

void BuildHierarchies(Engine& engine) {
  for (int d = 1; d <= engine.model.dimension_count; ++d) {
    TmyDIMH& dimension = engine.model.dimensions[static_cast<size_t>(d)];
    if (dimension.Values.count() == 0) continue;
    // A loop or a chain too deep to follow leaves its values at level 0, as
    // if their parent were unknown; each is named, with its chain.
    for (const int32_t row : BuildLevels(dimension)) {
      engine.LogLine("e147 DIM; Hierarchy loops or is deeper than " + std::to_string(kMaxLevels) +
                     " levels; DIMH=" + std::to_string(d) + "," + dimension.Name + " DIM=" +
                     dimension.Values[row].Code + " Chain=" + ParentChainText(dimension, row));
    }
    BuildHierarchyOrder(dimension);
  }
}

void CreateValueCube(Engine& engine) {
  const double largest = engine.cube.vcCreate(engine.model);
  engine.cell_sums.Clear();
  engine.LogLine("iMax Size of Cube  " + FormatGeneral(largest));
  engine.cube.vcSplit();
}

void LinkGroups(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.groups.count(); ++row) {
    TmyCPG& group = model.groups[row];
    const int32_t stage = model.stages.CodeIndex.Find(group.StageCode);
    if (stage < 0) {
      engine.LogLine("e131 CPG; STG Code not found; CPG=" + group.Code + " STG=" + group.StageCode);
      continue;
    }
    group.Stage = stage;
    group.STGType = model.stages[stage].STGType;
  }
}

void LinkPools(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    TmyCP& pool = model.pools[row];
    if (!pool.GroupCode.empty()) {
      const int32_t group = model.groups.CodeIndex.Find(pool.GroupCode);
      if (group < 0) {
        engine.LogLine("e132 CP; CPG Code not found; CP=" + pool.Code + " CPG=" + pool.GroupCode);
      } else {
        pool.Group = group;
        pool.STGType = model.groups[group].STGType;
      }
    }
    if (!pool.BaseCode.empty()) {
      const int32_t base = model.bases.CodeIndex.Find(pool.BaseCode);
      if (base < 0) {
        engine.LogLine("e133 CP; AB Code not found; CP=" + pool.Code + " AB=" + pool.BaseCode);
      } else if (pool.STGType == StageType::kFinal || pool.STGType == StageType::kReport) {
        engine.LogLine(
            "e134 CP; CP has Allocations but STG Type is Final(3) or REP(4); CP=" + pool.Code +
            " STGType=" + std::to_string(static_cast<int32_t>(pool.STGType)));
      } else {
        pool.Base = base;
      }
    }
    if (!pool.VarianceCode.empty()) {
      const int32_t target = model.pools.CodeIndex.Find(pool.VarianceCode);
      if (target < 0) {
        engine.LogLine("e135 CP; CPV Code not found; CP=" + pool.Code +
                       " CPV=" + pool.VarianceCode);
      } else {
        pool.VariancePool = target;
        model.pools[target].IsVarianceTarget = true;
      }
    }
  }
}

void LinkBaseLines(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.base_lines.count(); ++row) {
    TmyABL& line = model.base_lines[row];
    const int32_t base = model.bases.CodeIndex.Find(line.BaseCode);
    if (base < 0) {
      engine.LogLine("e136 ABL; AB Code not found; AB=" + line.BaseCode);
    } else {
      line.Base = base;
      ++model.bases[base].LineCount;
    }
    const int32_t output = model.pools.CodeIndex.Find(line.OutputCode);
    if (output < 0) {
      engine.LogLine("e137 ABL; CP Output Code not found; AB=" + line.BaseCode +
                     " CP=" + line.OutputCode);
    } else {
      line.Output = output;
    }
    if (line.MeasureType == 'N') {
      const int32_t measure = model.named_measures.CodeIndex.Find(line.MeasureCode);
      if (measure < 0) {
        engine.LogLine("e138 ABL; NM Code not found; AB=" + line.BaseCode +
                       " NM=" + line.MeasureCode);
      } else {
        line.NamedMeasure = measure;
        line.Description = model.named_measures[measure].Description;
      }
    } else if (line.MeasureType == 'I') {
      const int32_t measure = model.input_measures.CodeIndex.Find(line.MeasureCode);
      if (measure < 0) {
        engine.LogLine("e139 ABL; IM Code not found; AB=" + line.BaseCode +
                       " IM=" + line.MeasureCode);
      } else {
        line.InputMeasure = measure;
        line.Description = model.input_measures[measure].Description;
      }
    }
  }
  for (int32_t row = 1; row <= model.base_lines.count(); ++row) {
    const int32_t base = model.base_lines[row].Base;
    if (base > 0) model.bases[base].Lines.push_back(row);
  }
}

// "1" for a single constant or named line, "2" for several, "3" as soon as
// an input measure is involved; "0" for a base without lines.
void DeriveConfidenceLevels(Engine& engine) {
  ModelTables& model = engine.model;
  const bool confidence = engine.options.slots[kConfidenceDimensionOption].IsSet &&
                          engine.options.confidence_dimension > 0;
  for (int32_t row = 1; row <= model.bases.count(); ++row) {
    TmyAB& base = model.bases[row];
    base.ComputedLOC = "0";
    for (size_t k = 1; k <= base.Lines.size(); ++k) {
      const char type = model.base_lines[base.Lines[k - 1]].MeasureType;
      if (type == 'C' || type == 'N') {
        if (k == 1) {
          base.ComputedLOC = "1";
        } else if (base.ComputedLOC < "2") {
          base.ComputedLOC = "2";
        }
      } else if (type == 'I') {
        base.ComputedLOC = "3";
      }
    }
    if (base.LOC.empty()) base.LOC = base.ComputedLOC;
    if (!confidence) continue;
    const TmyDIMH& loc = model.dimensions[static_cast<size_t>(engine.options.confidence_dimension)];
    const int32_t value = loc.Values.CodeIndex.Find(base.LOC);
    if (value < 0) {
      engine.LogLine("e140 AB; LOC entered but value not known; AB=" + base.Code);
    } else {
      base.LOCRow = value;
    }
  }
}

void ApplyBudgets(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.budgets.count(); ++row) {
    const TmyCPB& budget = model.budgets[row];
    const int32_t pool = model.pools.CodeIndex.Find(budget.PoolCode);
    if (pool < 0) {
      engine.LogLine("e141 CPB; CP Code not found; CPB=" + budget.PoolCode);
      continue;
    }
    model.pools[pool].ValueBudget = budget.ValueBudget;
    model.pools[pool].UnitBudget = budget.UnitBudget;
    model.pools[pool].EnteredUnits = budget.EnteredUnits;
  }
}

void ApplyNamedValues(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.named_values.count(); ++row) {
    const TmyNMV& value = model.named_values[row];
    const int32_t measure = model.named_measures.CodeIndex.Find(value.MeasureCode);
    if (measure < 0) {
      engine.LogLine("e142 NMV; NM Code not found; NMV=" + value.MeasureCode);
      continue;
    }
    TmyNM& named = model.named_measures[measure];
    named.Value = value.Value;
    named.Measure = named.Value / named.Divisor;
    if (named.SetByNMV) {
      engine.LogLine("e123 NMV; NM Value has been previously set; duplicate; NMV=" +
                     value.MeasureCode);
    }
    named.SetByNMV = true;
  }
}

void CheckTransactionDimension(Engine& engine) {
  RunOptions& options = engine.options;
  const int32_t dimension = options.transaction_dimension;
  if (dimension == 0) return;
  if (dimension == options.confidence_dimension ||
      engine.model.dimensions[static_cast<size_t>(dimension)].Values.count() == 0) {
    options.transaction_dimension = 0;
    engine.LogLine("e143 DIMT; DIMT Nr in OO not valid, reset to 0");
  }
}

// A group whose stage is unknown keeps the place of the group before it.
void BuildGroupPriorityOrder(ModelTables& model) {
  model.group_priority.Init(model.groups.count(), 0);
  std::string key;
  char priority[16];
  for (int32_t row = 1; row <= model.groups.count(); ++row) {
    const TmyCPG& group = model.groups[row];
    if (group.Stage > 0) {
      std::snprintf(priority, sizeof priority, "%2u", static_cast<unsigned>(group.Priority));
      key = priority + group.Code;
    }
    model.group_priority.Add(key, row);
  }
  model.group_priority.Sort();
}

void ReportLateChecks(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.named_measures.count(); ++row) {
    const TmyNM& named = model.named_measures[row];
    if (!named.SetByNMV) {
      engine.LogLine("e181 NM; Named Measure not set using NMV - initial value used; NM=" +
                     named.Code + " Value=" + FormatGeneral(named.Measure));
    }
  }
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const TmyCP& pool = model.pools[row];
    if (pool.IsVarianceTarget && !pool.BaseCode.empty()) {
      engine.LogLine("e182 CP; Variance Cost Pool cannot have Allocation Base; CP=" + pool.Code);
    }
  }
}

}  // namespace

void CompleteModel(Engine& engine) {
  ModelTables& model = engine.model;
  IndexDimensions(engine);
  GenerateDirectBases(engine);
  BuildHierarchies(engine);
  CreateValueCube(engine);
  SortCodes(engine, model.stages, "STG");
  SortCodes(engine, model.groups, "CPG");
  SortCodes(engine, model.pools, "CP");
  SortCodes(engine, model.bases, "AB");
  SortCodes(engine, model.named_measures, "NM");
  SortCodes(engine, model.input_measures, "IM");
  LinkGroups(engine);
  LinkPools(engine);
  LinkBaseLines(engine);
  DeriveConfidenceLevels(engine);
  ApplyBudgets(engine);
  ApplyNamedValues(engine);
  CheckTransactionDimension(engine);
  BuildGroupPriorityOrder(model);
  ResolveSelections(engine);
  RankPoolSelections(model);
  ReportLateChecks(engine);
}

void BuildInputs(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const int32_t base = model.pools[row].Base;
    if (base == 0) continue;
    for (const int32_t line : model.bases[base].Lines) {
      const int32_t output = model.base_lines[line].Output;
      if (output > 0) model.pools[output].Inputs.push_back(PoolInput{row, line});
    }
  }
}

void ResolveTransactionMeasures(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.input_measures.count(); ++row) {
    TmyIM& measure = model.input_measures[row];
    // The rows' exact sums, so that the measure is its transactions' decimal
    // sum rounded once.
    ExactSum sum;
    if (measure.IMType == 'T') {
      measure.Resolved = true;
      for (const int32_t selection : measure.Selections) {
        const TmySEL& rows = model.selections[selection];
        if (rows.Include == "I") {
          sum.Add(rows.TxSum);
        } else {
          sum.Subtract(rows.TxSum);
        }
      }
    }
    measure.Value = sum.Value();
    measure.Measure = measure.Value / measure.Divisor;
  }
}

}  // namespace korav
