// The Cost Pool Selection Resolution Report (13), which shows how the
// transactions were resolved to groups and pools, and the Cost Measures
// Report (14), which lists the named and input measures with their rows and
// users.
#include <string>

#include "allocation/model/selection_queries.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

std::string DimensionNames(const ModelTables& model) { return SelectionText(model, 0); }

void WriteSelectionLine(Engine& engine, const char* type, int32_t row) {
  const TmySEL& selection = engine.model.selections[row];
  engine.report_output.WriteLine(
      "    " + std::string(type) + selection.Code + "," + Quoted(selection.Description) + "," +
      std::to_string(selection.TxCount) + "," + FormatFixed2(selection.Value) + "," +
      SelectionText(engine.model, row));
}

std::string GroupLine(const TmyCPG& group) {
  return "CPG," + group.Code + "," + Quoted(group.Description) + "," +
         std::to_string(group.TxCount) + "," + FormatFixed2(group.Value) + "," +
         std::to_string(group.Priority);
}

bool Listed(const Engine& engine, const TmyCPG& group) {
  const ReportRanges& ranges = engine.report_ranges;
  return !group.GroupSelections.empty() && group.StageCode >= ranges.stage.from &&
         group.StageCode <= ranges.stage.to && group.Code >= ranges.group.from &&
         group.Code <= ranges.group.to;
}

void WriteMeasureUsers(Engine& engine, const stTsortObj& by_base, const stTsortObj& by_pool,
                       const std::string& code) {
  if (engine.csv[12] != "-") WriteWhereUsed(engine, 'A', by_base, code);
  if (engine.csv[11] != "-") WriteWhereUsed(engine, 'C', by_pool, code);
}

}  // namespace

void WriteSelectionResolutionReport(Engine& engine) {
  const ModelTables& model = engine.model;
  WriteReportTitle(engine, "Cost Pool Selection Resolution Report; ");
  engine.report_output.WriteLine("Type,Code,Description,Count,Value,Prty" + DimensionNames(model));
  SetReportRanges(engine);
  const stTsortObj& order = model.group_priority;
  engine.report_output.WriteLine("Cost Pool Groups");
  for (int32_t position = 1; position <= order.Count(); ++position) {
    const TmyCPG& group = model.groups[order.Item(position).Number];
    if (!Listed(engine, group)) continue;
    std::string line = GroupLine(group);
    for (int k = 1; k <= 6; ++k)
      line += "," + std::to_string(group.DimOrder[static_cast<size_t>(k)]);
    engine.report_output.WriteLine(line);
    for (const int32_t row : group.GroupSelections) WriteSelectionLine(engine, "CPGS,", row);
  }
  engine.report_output.WriteLine("");
  engine.report_output.WriteLine("Cost Pools");
  for (int32_t position = 1; position <= order.Count(); ++position) {
    const TmyCPG& group = model.groups[order.Item(position).Number];
    if (!Listed(engine, group)) continue;
    engine.report_output.WriteLine(GroupLine(group));
    for (const int32_t row : group.PoolSelections) WriteSelectionLine(engine, "CPS,", row);
    engine.report_output.WriteLine("");
  }
}

void WriteCostMeasuresReport(Engine& engine) {
  const ModelTables& model = engine.model;
  const WhereUsedLists& used = engine.where_used;
  WriteReportTitle(engine, "Cost Measures Report; ");
  engine.report_output.WriteLine(
      "Measure Type,Code,Description,CPCode/T,Include,Count,Value,RawV,Divisor" +
      DimensionNames(model));
  const stTsortObj& named = model.named_measures.CodeIndex;
  for (int32_t position = 1; position <= named.Count(); ++position) {
    const TmyNM& measure = model.named_measures[named.Item(position).Number];
    engine.report_output.WriteLine("NM," + measure.Code + "," + Quoted(measure.Description) +
                                   ",,,," + FormatFixed2(measure.Measure) + "," +
                                   FormatFixed2(measure.Value) + "," +
                                   FormatFixed2(measure.Divisor));
    WriteMeasureUsers(engine, used.named_by_base, used.named_by_pool, measure.Code);
  }
  const stTsortObj& inputs = model.input_measures.CodeIndex;
  for (int32_t position = 1; position <= inputs.Count(); ++position) {
    const TmyIM& measure = model.input_measures[inputs.Item(position).Number];
    const std::string type = measure.IMType != 0 ? std::string(1, measure.IMType) : "";
    engine.report_output.WriteLine("IM," + measure.Code + "," + Quoted(measure.Description) + "," +
                                   type + ",,," + FormatFixed2(measure.Measure) + "," +
                                   FormatFixed2(measure.Value) + "," +
                                   FormatFixed2(measure.Divisor));
    if (engine.csv[7] != "-") {
      for (const int32_t row : measure.Selections) {
        const TmySEL& selection = model.selections[row];
        engine.report_output.WriteLine(
            "    IMS," + selection.Code + "," + Quoted(selection.Description) + "," +
            selection.Code2 + "," + selection.Include + "," + std::to_string(selection.TxCount) +
            ",," + FormatFixed2(selection.Value) + "," + SelectionText(model, row));
      }
    }
    WriteMeasureUsers(engine, used.input_by_base, used.input_by_pool, measure.Code);
  }
}

}  // namespace korav
