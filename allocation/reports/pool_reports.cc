// The Cost Pool Report (15) and the Allocation Base Report (16): each pool
// with its value, the selection rows that feed it, its base lines with
// measure, proportion and amount, its variance, its users and, on request,
// its value cube; each base with its level of confidence, total measure,
// lines and users.
#include <string>

#include "allocation/model/selection_queries.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

std::string MeasureText(const TmyABL& line) {
  if (line.MeasureType == 'C') return "C";
  return std::string(1, line.MeasureType) + "/" + line.MeasureCode;
}

std::string OutputDescription(const ModelTables& model, const TmyABL& line) {
  return line.Output > 0 ? model.pools[line.Output].Description : std::string();
}

void WritePoolSelections(Engine& engine, const TmyCP& pool) {
  for (const int32_t row : pool.PoolSelections) {
    const TmySEL& selection = engine.model.selections[row];
    engine.report_output.WriteLine(
        "    CPS," + selection.Code + "," + Quoted(selection.Description) + "," +
        std::to_string(selection.TxCount) + ",,,," + FormatFixed2(selection.Value) +
        SelectionText(engine.model, row));
  }
}

void WritePoolBase(Engine& engine, const TmyCP& pool) {
  const ModelTables& model = engine.model;
  const TmyAB& base = model.bases[pool.Base];
  engine.report_output.WriteLine("    AB," + base.Code + "," + Quoted(base.Description) +
                                 ",Measure,Propn,Code,Desc,Value");
  for (const int32_t index : base.Lines) {
    const TmyABL& line = model.base_lines[index];
    engine.report_output.WriteLine("    ABL," + MeasureText(line) + "," + Quoted(line.Description) +
                                   "," + FormatFixed2(line.Value) + "," +
                                   FormatProportion(line.Propn) + "," + line.OutputCode + "," +
                                   Quoted(OutputDescription(model, line)) + "," +
                                   FormatFixed2(line.Propn * pool.AllocValue));
  }
  if (pool.AllocValue != pool.Value) {
    const std::string variance =
        pool.VariancePool > 0 ? model.pools[pool.VariancePool].Description : std::string();
    engine.report_output.WriteLine("    variance,,,,," + pool.VarianceCode + "," + variance + "," +
                                   FormatFixed2(pool.Value - pool.AllocValue));
  }
}

}  // namespace

void WriteCostPoolReport(Engine& engine) {
  SetReportRanges(engine);
  WriteReportTitle(engine, "Cost Pool Report; ");
  WriteAllocationNote(engine);
  std::string header = ",Code,Description,Count,,,,Value";
  for (int d = 1; d <= engine.model.dimension_count; ++d) {
    header += "," + engine.model.dimensions[static_cast<size_t>(d)].Name;
  }
  engine.report_output.WriteLine(header);
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const TmyCP& pool = engine.model.pools[codes.Item(position).Number];
    if (!InReportRange(engine, pool)) continue;
    engine.report_output.WriteLine("CP," + pool.Code + "," + Quoted(pool.Description) + ",,,,," +
                                   FormatFixed2(pool.Value));
    if (engine.csv[7] != "-") WritePoolSelections(engine, pool);
    if (engine.csv[9] != "-" && pool.Base > 0) WritePoolBase(engine, pool);
    if (engine.csv[11] != "-") {
      WriteWhereUsed(engine, 'C', engine.where_used.pool_by_pool, pool.Code);
    }
    if (!engine.csv[10].empty()) ListPoolCube(engine, pool.Row, ",,");
    engine.report_output.WriteLine("");
  }
}

void WriteAllocationBaseReport(Engine& engine) {
  WriteReportTitle(engine, "Allocation Base Report; ");
  engine.report_output.WriteLine(
      ",Code,Description,LOC,Measure Value,Propn,Code,Description,Unit Budget");
  SetReportRanges(engine);
  const ReportRange& range = engine.report_ranges.stage;
  const ModelTables& model = engine.model;
  const stTsortObj& codes = model.bases.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const TmyAB& base = model.bases[codes.Item(position).Number];
    if (base.Code < range.from || base.Code > range.to) continue;
    engine.report_output.WriteLine("AB," + base.Code + "," + Quoted(base.Description) + "," +
                                   base.LOC + "," + FormatFixed2(base.TotalMeasure));
    for (const int32_t index : base.Lines) {
      const TmyABL& line = model.base_lines[index];
      engine.report_output.WriteLine(
          "    ABL," + MeasureText(line) + "," + Quoted(line.Description) + ",," +
          FormatFixed2(line.Value) + "," + FormatProportion(line.Propn) + "," + line.OutputCode +
          "," + OutputDescription(model, line) + "," + FormatFixed2(line.UnitBudget));
    }
    if (engine.csv[11] != "-")
      WriteWhereUsed(engine, 'C', engine.where_used.base_by_pool, base.Code);
  }
}

}  // namespace korav
