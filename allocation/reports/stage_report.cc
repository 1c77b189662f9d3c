// The Stage Report (12): the cost pools summed by stage and group, and per
// stage what was allocated, left unallocated and passed on to later stages.
#include <optional>
#include <string>
#include <vector>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/reports/stage_figures.h"
#include "common/numbers.h"

namespace korav {
namespace {

// Stage counts and values, and group values, from the pools' values.
std::vector<int32_t> RecomputeTallies(ModelTables& model) {
  std::vector<int32_t> pool_counts(static_cast<size_t>(model.stages.count()) + 1, 0);
  for (int32_t row = 1; row <= model.stages.count(); ++row) model.stages[row].Value = 0;
  for (int32_t row = 1; row <= model.groups.count(); ++row) model.groups[row].Value = 0;
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const TmyCP& pool = model.pools[row];
    if (pool.Group == 0) continue;
    TmyCPG& group = model.groups[pool.Group];
    group.Value += pool.Value;
    if (group.Stage == 0) continue;
    ++pool_counts[static_cast<size_t>(group.Stage)];
    model.stages[group.Stage].Value += pool.Value;
  }
  return pool_counts;
}

// An empty optional figure leaves its field empty.
std::string Field(const std::optional<double>& figure) {
  return figure ? FormatFixed2(*figure) : std::string();
}

std::string PoolLine(const TmyCP& pool, StageSums& sums) {
  const PoolFigures figures = StageFiguresOf(pool);
  sums.Add(figures);
  std::string line = "        CP," + pool.Code + "," + Quoted(pool.Description) + ",,,," +
                     FormatFixed2(figures.actual) + "," + Field(figures.unallocated) + "," +
                     Field(figures.allocated) + ",";
  if (figures.allocation_variance) line += Field(figures.allocation_variance) + ",";
  if (figures.unallocated_variance) line += "," + Field(figures.unallocated_variance) + ",";
  return line;
}

// Under a member of a solved loop: its own cost, what the other members'
// shares added (the gross-up) and the full cost it shows as CP Actual.
std::string LoopMemberLine(const TmyCP& pool) {
  return "            Reciprocal,Own Cost," + FormatFixed2(pool.Value - pool.GrossUp) +
         ",Gross-up," + FormatFixed2(pool.GrossUp) + ",Full Cost," + FormatFixed2(pool.Value);
}

void WriteGroups(Engine& engine, const TmySTG& stage, StageSums& sums) {
  const ModelTables& model = engine.model;
  const bool show_pools = engine.csv[8] != "-";
  const stTsortObj& groups = model.groups.CodeIndex;
  const stTsortObj& pools = model.pools.CodeIndex;
  for (int32_t g = 1; g <= groups.Count(); ++g) {
    const TmyCPG& group = model.groups[groups.Item(g).Number];
    if (group.StageCode != stage.Code) continue;
    engine.report_output.WriteLine("    CPG," + group.Code + "," + Quoted(group.Description) +
                                   ",,," + FormatFixed2(group.Value));
    if (!show_pools) continue;
    for (int32_t p = 1; p <= pools.Count(); ++p) {
      const TmyCP& pool = model.pools[pools.Item(p).Number];
      if (pool.GroupCode != group.Code) continue;
      engine.report_output.WriteLine(PoolLine(pool, sums));
      if (pool.Loop != 0) engine.report_output.WriteLine(LoopMemberLine(pool));
    }
  }
}

}  // namespace

void WriteStageReport(Engine& engine) {
  WriteReportTitle(engine, "Stage Report; ");
  WriteAllocationNote(engine);
  engine.report_output.WriteLine(
      "RecType,Code,Description,CP Count,STG Value,CPG Value,CP Actual,Unalloc,Alloc,"
      "Alloc Variance,UnAlloc Variance");
  SetReportRanges(engine);
  const std::vector<int32_t> pool_counts = RecomputeTallies(engine.model);
  const ReportRange& range = engine.report_ranges.stage;
  const stTsortObj& stages = engine.model.stages.CodeIndex;
  for (int32_t position = 1; position <= stages.Count(); ++position) {
    const int32_t row = stages.Item(position).Number;
    const TmySTG& stage = engine.model.stages[row];
    if (stage.Code < range.from || stage.Code > range.to) continue;
    engine.report_output.WriteLine("STG," + stage.Code + "," + Quoted(stage.Description) + "," +
                                   std::to_string(pool_counts[static_cast<size_t>(row)]) + "," +
                                   FormatFixed2(stage.Value));
    StageSums sums;
    if (engine.csv[7] != "-") WriteGroups(engine, stage, sums);
    if (stage.STGType == StageType::kReport) continue;
    engine.report_output.WriteLine(
        ",Total,,,,," + FormatFixed2(sums.actual) + "," + FormatFixed2(sums.unallocated) + "," +
        FormatFixed2(sums.allocated) + "," + FormatFixed2(sums.allocation_variance) + "," +
        FormatFixed2(sums.unallocated_variance));
    // The loop members' shares to each other stay within the stage: they are
    // in its CP Actual and Alloc, but not passed on.
    if (sums.gross_up != 0) {
      engine.report_output.WriteLine(",Gross-up,,," + FormatFixed2(sums.gross_up) +
                                     ",,,,,,,\"Reciprocal: the shares the stage's loop members "
                                     "sent each other, within CP Actual and Alloc\"");
    }
    engine.report_output.WriteLine(",Next,,," + FormatFixed2(sums.PassedOn()) + ",<<<");
    engine.report_output.WriteLine("");
  }
}

}  // namespace korav
