// The Cost Pool Variance Report (25), which sets each pool's actual value
// against its allocation value, budget and units, and the Cost Pool Value
// Cube Analysis Report (31), which shows each pool's value cube entries and
// memory with the cube's totals and index figures.
#include <string>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

// The "V" column before a variance: "-" for a positive (unfavourable)
// variance, "+" for a negative one; unit variances read the other way.
std::string Sign(double variance) { return variance > 0 ? "-" : variance < 0 ? "+" : ""; }
std::string UnitSign(double variance) { return variance > 0 ? "+" : variance < 0 ? "-" : ""; }
std::string LineSign(double variance) { return variance > 0 ? "-" : variance < 0 ? "+" : " "; }

void WritePoolVariance(Engine& engine, const TmyCP& pool) {
  const double actual = pool.Value;
  const double allocated = pool.AllocValue;
  const double budget = pool.ValueBudget;
  const double units = pool.Units;
  const double unit_budget = pool.EffectiveUnitBudget;
  const double allocation_variance = pool.BaseCode.empty() ? 0 : actual - allocated;
  const double budget_variance = actual - budget;
  const double unit_variance = units - unit_budget;
  const double unit_price = units != 0 ? actual / units : 0;
  const double budget_unit_price = unit_budget != 0 ? budget / unit_budget : 0;
  const double price_variance = unit_price - budget_unit_price;
  engine.report_output.WriteLine(
      "CP," + pool.Code + "," + Quoted(pool.Description) + "," + pool.GroupCode + "," +
      FormatFixed2(actual) + "," + std::to_string(pool.BudgetMethod) + "," +
      FormatFixed2(allocated) + "," + FormatFixed2(budget) + "," + Sign(allocation_variance) + "," +
      FormatFixed2(allocation_variance) + "," + Sign(budget_variance) + "," +
      FormatFixed2(budget_variance) + "," + std::to_string(pool.UnitSource) + "," +
      FormatFixed2(units) + "," + FormatFixed2(unit_budget) + "," + UnitSign(unit_variance) + "," +
      FormatFixed2(unit_variance) + "," + FormatFixed2(unit_price) + "," +
      FormatFixed2(budget_unit_price) + "," + Sign(price_variance) + "," +
      FormatFixed2(price_variance));
  if (pool.UnitSource < 2 || pool.Base == 0) return;
  for (const int32_t index : engine.model.bases[pool.Base].Lines) {
    const TmyABL& line = engine.model.base_lines[index];
    const double variance = line.UnitBudget - line.Value;
    engine.report_output.WriteLine(
        "    ABL,," + Quoted(line.Description) + ",,,," + FormatFixed2(allocated * line.Propn) +
        ",,,,,,," + FormatFixed2(line.Value) + "," + FormatFixed2(line.UnitBudget) + "," +
        LineSign(variance) + "," + FormatFixed2(variance) + "," + line.OutputCode + ",");
  }
}

}  // namespace

void WriteVarianceReport(Engine& engine) {
  SetReportRanges(engine);
  const std::string option = engine.options.slots[kBudgetOption].IsSet
                                 ? "Run Option - Allocation of Budget"
                                 : "Run Option - Allocation of Actuals";
  WriteReportTitle(engine, "Cost Pool Variance Report; ", option);
  engine.report_output.WriteLine(
      ",Code,Description,CPG,Value,Alloc Method,Alloc Value,ValueBudget,V,Alloc Variance,V,"
      "Budget Variance,UnitSource,Units,Unit Budget,V,Unit Variance,Unit Price,Budget Unit Price,"
      "V,Unit Price Variance");
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const TmyCP& pool = engine.model.pools[codes.Item(position).Number];
    if (InReportRange(engine, pool)) WritePoolVariance(engine, pool);
  }
}

// The entry counts come from one pass over the cube for the whole report;
// they are the same figures a pass per listed pool would give.
void WriteCubeAnalysisReport(Engine& engine) {
  SetReportRanges(engine);
  WriteReportTitle(engine, "Cost Pool Value Cube Analysis Report; ");
  engine.report_output.WriteLine(",Code,Description,CPG,VC Count,Used KB");
  engine.cube.vcTotals(engine.model, engine.log);
  int64_t entries = 0;
  double kilobytes = 0;
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const TmyCP& pool = engine.model.pools[codes.Item(position).Number];
    if (!InReportRange(engine, pool) || pool.VCCount == 0) continue;
    const double size = static_cast<double>(pool.VCCount) * 32 / 1024;
    entries += pool.VCCount;
    kilobytes += size;
    engine.report_output.WriteLine("CP," + pool.Code + "," + Quoted(pool.Description) + "," +
                                   pool.GroupCode + "," + std::to_string(pool.VCCount) + "," +
                                   FormatFixed2(size));
  }
  engine.report_output.WriteLine("");
  engine.report_output.WriteLine(",,,," + std::to_string(entries) + "," + FormatFixed2(kilobytes));
  engine.report_output.WriteLine(",,,,Dupe Key," + std::to_string(engine.cube.ChainedCount()));
  engine.report_output.WriteLine(",,,,Alloc - Hash Seg," +
                                 std::to_string(engine.cube.HashSegCount()) + ",Data Seg,," +
                                 std::to_string(engine.cube.DataSegCount()));
}

}  // namespace korav
