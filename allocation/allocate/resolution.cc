#include "allocation/allocate/resolution.h"

#include <cmath>
#include <string>

#include "common/numbers.h"

namespace korav {
namespace {

// Sets the measure from `sum`. A figure that is not finite is not kept: the
// measure is logged and set aside, and the bases that use it never resolve.
bool SetMeasure(Engine& engine, TmyIM& measure, double sum) {
  const double figure = sum / measure.Divisor;
  if (std::isfinite(figure)) {
    measure.Measure = figure;
    return true;
  }
  measure.Measure = 0;
  measure.Resolved = false;
  measure.NotFinite = true;
  engine.LogLine("e309 Alloc; IM Measure not finite, not used; IM=" + measure.Code);
  return false;
}

// The first line of the base whose measure, or the running total of the
// measures or unit budgets up to it, or whose proportion of the total is not
// finite; nullptr when all are.
const TmyABL* FirstNotFiniteLine(const ModelTables& model, const TmyAB& base) {
  double total = 0;
  double unit_budgets = 0;
  for (const int32_t index : base.Lines) {
    const TmyABL& line = model.base_lines[index];
    total += line.Value;
    unit_budgets += line.UnitBudget;
    if (!std::isfinite(total) || !std::isfinite(unit_budgets)) return &line;
  }
  for (const int32_t index : base.Lines) {
    const TmyABL& line = model.base_lines[index];
    if (total != 0 && !std::isfinite(line.Value / total)) return &line;
  }
  return nullptr;
}

}  // namespace

bool ResolveInputMeasures(Engine& engine) {
  ModelTables& model = engine.model;
  bool progress = false;
  for (int32_t row = 1; row <= model.input_measures.count(); ++row) {
    TmyIM& measure = model.input_measures[row];
    if (measure.Resolved || measure.NotFinite) continue;
    measure.Resolved = true;
    double sum = 0;
    for (const int32_t selection : measure.Selections) {
      TmySEL& rows = model.selections[selection];
      // A row without a known source pool counts as 0 and holds nothing back.
      if (rows.Code2Row == 0) {
        rows.Value = 0;
        continue;
      }
      if (!model.pools[rows.Code2Row].Resolved) {
        measure.Resolved = false;
        break;
      }
      rows.Value = model.pools[rows.Code2Row].Value;
      sum += rows.Value;
    }
    // An unresolved measure keeps the partial figure, which the measures
    // report shows.
    const bool resolved = measure.Resolved;
    if (!SetMeasure(engine, measure, sum) || !resolved) continue;
    sum = 0;
    for (const int32_t selection : measure.Selections) {
      TmySEL& rows = model.selections[selection];
      rows.Value = rows.Code2Row == 0 ? 0 : engine.cube.vcSumSelected(model, rows.Code2Row, rows);
      sum += rows.Value;
    }
    if (!SetMeasure(engine, measure, sum)) continue;
    progress = true;
    engine.LogLine("tIM Resolved Measure IM=" + measure.Code);
  }
  return progress;
}

bool ResolveAllocationBases(Engine& engine) {
  ModelTables& model = engine.model;
  bool progress = false;
  for (int32_t row = 1; row <= model.bases.count(); ++row) {
    TmyAB& base = model.bases[row];
    if (base.Resolved || base.NotFinite) continue;
    base.Resolved = true;
    base.TotalMeasure = 0;
    base.TotalUnitBudget = 0;
    for (const int32_t index : base.Lines) {
      TmyABL& line = model.base_lines[index];
      if (line.MeasureType == 'I') {
        line.Value = line.InputMeasure > 0 ? model.input_measures[line.InputMeasure].Measure : 0;
      } else if (line.MeasureType == 'N') {
        line.Value = line.NamedMeasure > 0 ? model.named_measures[line.NamedMeasure].Measure : 0;
      }
      base.TotalMeasure += line.Value;
      base.TotalUnitBudget += line.UnitBudget;
      if (line.MeasureType == 'I' && line.InputMeasure > 0 &&
          !model.input_measures[line.InputMeasure].Resolved) {
        base.Resolved = false;
        break;
      }
    }
    if (!base.Resolved) continue;
    if (const TmyABL* line = FirstNotFiniteLine(model, base)) {
      base.Resolved = false;
      base.NotFinite = true;
      base.TotalMeasure = 0;
      engine.LogLine("e310 Alloc; AB Measure not finite, not used; AB=" + base.Code +
                     " Line=" + line->Description);
      continue;
    }
    progress = true;
    engine.LogLine("tAB Resolved Measure AB=" + base.Code);
  }
  return progress;
}

bool ResolveCostPools(Engine& engine) {
  ModelTables& model = engine.model;
  bool progress = false;
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    TmyCP& pool = model.pools[row];
    if (pool.Resolved) continue;
    pool.Resolved = true;
    for (const PoolInput& input : pool.Inputs) {
      if (!model.pools[input.Source].Allocated) {
        pool.Resolved = false;
        break;
      }
    }
    if (!pool.Resolved) continue;
    progress = true;
    engine.LogLine("tCP Resolved Cost    CP=" + pool.Code + " (" + FormatFixed2(pool.Value) + ")");
  }
  return progress;
}

}  // namespace korav
