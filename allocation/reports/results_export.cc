// The Results Export (36): the run's results as one plain table (see
// plain_table.h) for other programs. No title, no indentation, one header
// row, one kind of row per file: the value cube cells of the pools in the
// report ranges, or with column 7 "F" the flows out of them. Each row starts
// with the run's label (option 12) so that the tables of several runs can
// be put together.
#include "allocation/reports/results_export.h"

#include <string>
#include <string_view>
#include <vector>

#include "allocation/model/stage_order.h"
#include "allocation/reports/plain_table.h"
#include "allocation/reports/pool_flows.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/state/run_label.h"

namespace korav {
namespace {

enum class ExportKind { kCells, kFlows };

// Column 7: "F" for the flows, empty for the cells.
ExportKind RequestedKind(Engine& engine) {
  const std::string_view kind = engine.csv[7];
  if (kind == "F" || kind == "f") return ExportKind::kFlows;
  if (!kind.empty()) {
    engine.LogLine(
        "e409 REP; Export kind not valid, the cells are written; give F for the flows or leave "
        "it empty for the cells; Kind=" +
        std::string(kind));
  }
  return ExportKind::kCells;
}

void WriteRow(Engine& engine, const TableRow& row) { engine.report_output.WriteLine(row.text()); }

// The pools within the report ranges, in code order.
std::vector<int32_t> SelectedPools(const Engine& engine) {
  std::vector<int32_t> rows;
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    if (InReportRange(engine, engine.model.pools[row])) rows.push_back(row);
  }
  return rows;
}

// The pool's stage, or nullptr when its group has none.
const TmySTG* StageOfPool(const ModelTables& model, const TmyCP& pool) {
  const int32_t stage = StageOf(model, pool);
  return stage == 0 ? nullptr : &model.stages[stage];
}

// The run label, the pool's stage and group (code and description, empty
// where it has none) and the pool itself.
void StartCellRow(const Engine& engine, const TmyCP& pool, TableRow& row) {
  const ModelTables& model = engine.model;
  row.Clear();
  row.Text(RunLabel(engine));
  const TmySTG* stage = StageOfPool(model, pool);
  row.Text(stage ? std::string_view(stage->Code) : std::string_view());
  row.Text(stage ? std::string_view(stage->Description) : std::string_view());
  const TmyCPG* group = pool.Group == 0 ? nullptr : &model.groups[pool.Group];
  row.Text(group ? std::string_view(group->Code) : std::string_view());
  row.Text(group ? std::string_view(group->Description) : std::string_view());
  row.Text(pool.Code);
  row.Text(pool.Description);
}

// One row per value cube entry, the entry's code in each dimension (empty
// for none) and its value, in the order the cube holds the pool's entries.
void WriteCells(Engine& engine) {
  const ModelTables& model = engine.model;
  ValueCube& cube = engine.cube;
  TableRow row;
  for (const std::string_view name : kCellsLeadingColumns) row.Text(name);
  for (int d = 1; d <= model.dimension_count; ++d) {
    row.Text(model.dimensions[static_cast<size_t>(d)].Name);
  }
  row.Text(kCellsValueColumn);
  WriteRow(engine, row);
  TableRow pool_fields;
  for (const int32_t pool : SelectedPools(engine)) {
    StartCellRow(engine, model.pools[pool], pool_fields);
    for (const int32_t n : cube.PoolEntries(pool)) {
      const vcTEntry& entry = cube.Entry(n);
      cube.Index1 = entry.Index1;
      cube.Index2 = entry.Index2;
      cube.vcDecomposeKey();
      row.StartWith(pool_fields);
      for (int d = 1; d <= model.dimension_count; ++d) {
        const int32_t code = cube.Code[static_cast<size_t>(d)];
        row.Text(code == 0 ? std::string_view()
                           : model.dimensions[static_cast<size_t>(d)].Values[code].Code);
      }
      row.Figure(entry.Value);
      WriteRow(engine, row);
    }
  }
}

// One row per flow that moved an amount: a base line's as its position in
// the base and proportion, a variance as the line "variance" without base
// and proportion.
void WriteFlows(Engine& engine) {
  const ModelTables& model = engine.model;
  TableRow row;
  for (const std::string_view name : kFlowsColumns) row.Text(name);
  WriteRow(engine, row);
  std::vector<PoolFlow> flows;
  for (const int32_t pool : SelectedPools(engine)) {
    flows.clear();
    AppendPoolFlows(engine, pool, flows);
    const TmyCP& sender = model.pools[pool];
    const TmySTG* stage = StageOfPool(model, sender);
    for (const PoolFlow& flow : flows) {
      if (flow.kind == FlowKind::kNotAllocated) continue;
      if (flow.kind == FlowKind::kVariance && flow.amount == 0) continue;
      const bool variance = flow.kind == FlowKind::kVariance;
      const TmyCP& receiver = model.pools[flow.to];
      row.Clear();
      row.Text(RunLabel(engine));
      row.Text(stage ? std::string_view(stage->Code) : std::string_view());
      row.Text(sender.Code);
      row.Text(sender.Description);
      row.Text(variance ? std::string_view() : model.bases[sender.Base].Code);
      if (variance) {
        row.Text(kVarianceLine);
      } else {
        row.Text(std::to_string(flow.line));
      }
      row.Text(receiver.Code);
      row.Text(receiver.Description);
      if (variance) {
        row.Text("");
      } else {
        row.Figure(flow.proportion);
      }
      row.Figure(flow.amount);
      WriteRow(engine, row);
    }
  }
}

}  // namespace

void WriteResultsExport(Engine& engine) {
  SetReportRanges(engine);
  if (RequestedKind(engine) == ExportKind::kFlows) {
    WriteFlows(engine);
  } else {
    WriteCells(engine);
  }
}

}  // namespace korav
