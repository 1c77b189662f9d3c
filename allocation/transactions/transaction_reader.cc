#include <array>
#include <string>
#include <string_view>

#include "allocation/loading/selection_resolution.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr int kDumpOption = 5;
constexpr int kTraceOption = 9;

using Codes = std::array<int32_t, kMaxDimensions + 1>;

// The codes of one line, by dimension: the line's own columns, or the texts
// of its transaction dimension value's "DIMT" row where that row fills them.
using CodeTexts = std::array<std::string_view, kMaxDimensions + 1>;

void TakeLineCodes(const Engine& engine, CodeTexts& texts) {
  for (int k = 1; k <= engine.model.dimension_count; ++k) {
    texts[static_cast<size_t>(k)] = engine.csv[k + 1];
  }
}

void SubstituteTransactionDimension(Engine& engine, CodeTexts& texts) {
  const int32_t d = engine.options.transaction_dimension;
  if (d == 0 || texts[static_cast<size_t>(d)].empty()) return;
  const ModelTable<TmyDIM>& values = engine.model.dimensions[static_cast<size_t>(d)].Values;
  const int32_t row = values.CodeIndex.Find(texts[static_cast<size_t>(d)]);
  if (row < 0) {
    engine.LogLine("e203 TX; DIMT Code not known; Dim=" + std::to_string(d) +
                   " Code=" + std::string(texts[static_cast<size_t>(d)]));
    return;
  }
  const int32_t fill = values[row].TransSelection;
  if (fill == 0) return;
  const TmySEL& selection = engine.model.selections[fill];
  for (int k = 1; k <= engine.model.dimension_count; ++k) {
    if (selection.DimIndex[static_cast<size_t>(k)] != 0) {
      texts[static_cast<size_t>(k)] = selection.DimSelect[static_cast<size_t>(k)];
    }
  }
}

// Looks every code up; each known code counts a transaction for its value.
// Returns false, after reporting every unknown code, when one is unknown.
bool ResolveCodes(Engine& engine, const CodeTexts& texts, Codes& codes) {
  bool known = true;
  codes.fill(0);
  for (int k = 1; k <= engine.model.dimension_count; ++k) {
    ModelTable<TmyDIM>& values = engine.model.dimensions[static_cast<size_t>(k)].Values;
    const std::string_view code = texts[static_cast<size_t>(k)];
    if (values.count() == 0 || code.empty()) continue;
    const int32_t row = values.CodeIndex.Find(code);
    if (row < 0) {
      engine.LogLine("e204 TX; DIM Code not known; Dim=" + std::to_string(k) +
                     " Code=" + std::string(code));
      known = false;
      continue;
    }
    codes[static_cast<size_t>(k)] = row;
    ++values[row].TxCount;
  }
  return known;
}

// The first selection row of `rows` that admits `codes`, or 0.
int32_t FirstMatch(const ModelTables& model, const std::vector<int32_t>& rows, const Codes& codes) {
  for (const int32_t row : rows) {
    if (SelectionMatches(model, model.selections[row], codes)) return row;
  }
  return 0;
}

std::string CodesText(const Engine& engine, const CodeTexts& texts) {
  std::string text;
  for (int k = 1; k <= engine.model.dimension_count; ++k) {
    if (k > 1) text += ',';
    text += texts[static_cast<size_t>(k)];
  }
  return text;
}

struct Placement {
  int32_t group = 0;
  int32_t group_row = 0;  // the "CPGS" row that chose the group
  int32_t pool = 0;
  int32_t pool_row = 0;  // the "CPS" row that chose the pool
};

// Groups are tried in priority order, then the chosen group's pools in their
// ranking order. A line left over by either is reported, not stored.
bool PlaceLine(Engine& engine, const Codes& codes, const CodeTexts& texts, Placement& placement) {
  const ModelTables& model = engine.model;
  for (int32_t position = 1; position <= model.group_priority.Count(); ++position) {
    const int32_t group = model.group_priority.Item(position).Number;
    const int32_t row = FirstMatch(model, model.groups[group].GroupSelections, codes);
    if (row == 0) continue;
    placement.group = group;
    placement.group_row = row;
    break;
  }
  if (placement.group == 0) {
    engine.LogLine("e205 TX; No Cost Pool Group selects the transaction; Codes=" +
                   CodesText(engine, texts));
    return false;
  }
  const TmyCPG& group = model.groups[placement.group];
  placement.pool_row = FirstMatch(model, group.PoolSelections, codes);
  if (placement.pool_row == 0) {
    engine.LogLine("e205 TX; No Cost Pool of the group selects the transaction; CPG=" + group.Code +
                   " Codes=" + CodesText(engine, texts));
    return false;
  }
  placement.pool = model.selections[placement.pool_row].OwnerRow;
  return true;
}

void AddToTallies(Engine& engine, const Codes& codes, const Placement& placement, double amount) {
  ModelTables& model = engine.model;
  TmyCPG& group = model.groups[placement.group];
  ++group.TxCount;
  for (int k = 1; k <= model.dimension_count; ++k) {
    const int32_t row = codes[static_cast<size_t>(k)];
    if (row != 0) model.dimensions[static_cast<size_t>(k)].Values[row].TxValue += amount;
  }
  group.Value += amount;
  ++model.selections[placement.group_row].TxCount;
  model.selections[placement.group_row].Value += amount;
  TmyCP& pool = model.pools[placement.pool];
  ++pool.TxCount;
  pool.Value += amount;
  ++model.selections[placement.pool_row].TxCount;
  model.selections[placement.pool_row].Value += amount;
  for (int32_t m = 1; m <= model.input_measures.count(); ++m) {
    const TmyIM& measure = model.input_measures[m];
    if (measure.IMType != 'T') continue;
    for (const int32_t row : measure.Selections) {
      TmySEL& selection = model.selections[row];
      if (!SelectionMatches(model, selection, codes)) continue;
      ++selection.TxCount;
      selection.Value += amount;
    }
  }
}

void StoreInCube(Engine& engine, const Codes& codes, const Placement& placement, double amount) {
  ValueCube& cube = engine.cube;
  for (int k = 1; k <= engine.model.dimension_count; ++k) {
    cube.Code[static_cast<size_t>(k)] = codes[static_cast<size_t>(k)];
  }
  cube.vcApplyMapping(engine.model, engine.model.groups[placement.group].DimCopyRow);
  cube.vcApplyMapping(engine.model, engine.model.pools[placement.pool].DimCopyRow);
  cube.vcComposeKey();
  cube.CurCP = placement.pool;
  cube.vcAdd(amount);
}

void TraceLine(Engine& engine, const Placement& placement, std::string_view line) {
  const TmyOption& trace = engine.options.slots[kTraceOption];
  const TmyCP& pool = engine.model.pools[placement.pool];
  if (!trace.IsSet || (!trace.Text.empty() && trace.Text != pool.Code)) return;
  engine.log.WriteDirect(JobLog::File::kTrace, "Rec " + std::to_string(engine.transaction_count) +
                                                   " CP " + pool.Code + " " + std::string(line));
  std::string entry;
  engine.cube.vcIterStart(placement.pool);
  while (engine.cube.vcIterNext(engine.model, entry) != 0) engine.LogLine("t  TX " + entry);
}

void ReadLine(Engine& engine, std::string_view line, CodeTexts& texts, Codes& codes) {
  engine.csv.SplitCsv(line);
  double amount = 0;
  if (!ParseDouble(engine.csv[1], amount)) {
    engine.LogLine("e202 TX; Value not numeric; Value=" + std::string(engine.csv[1]));
    return;
  }
  TakeLineCodes(engine, texts);
  SubstituteTransactionDimension(engine, texts);
  if (!ResolveCodes(engine, texts, codes)) return;
  Placement placement;
  if (!PlaceLine(engine, codes, texts, placement)) return;
  if (engine.model.groups[placement.group].Flag) amount = -amount;
  AddToTallies(engine, codes, placement, amount);
  StoreInCube(engine, codes, placement, amount);
  TraceLine(engine, placement, line);
  if (engine.options.slots[kDumpOption].IsSet) {
    engine.dump_line.assign(engine.model.pools[placement.pool].Code).append(",").append(line);
    engine.report_output.WriteLine(engine.dump_line);
  }
}

}  // namespace

void StartTransactionPhase(Engine& engine) {
  if (!engine.options.slots[kDumpOption].IsSet) return;
  engine.report_output.Create(engine.paths.output_directory + "35.csv", engine.host);
  engine.report_output.WriteLine("Transaction Trace Report");
}

void EndTransactionPhase(Engine& engine) {
  if (engine.options.slots[kDumpOption].IsSet) engine.report_output.Close();
}

void ReadTransactions(Engine& engine) {
  CodeTexts texts;
  Codes codes{};
  int32_t progress = 0;
  const int32_t interval = engine.state.progress_interval;
  std::string_view line;
  while (engine.data_file.Next(line)) {
    engine.state.data_line.assign(line);
    ++engine.state.record_number;
    ++engine.transaction_count;
    if (++progress == interval) {
      progress = 0;
      engine.LogLine("MCount " + std::to_string(engine.state.record_number));
    }
    ReadLine(engine, engine.state.data_line, texts, codes);
  }
  engine.state.data_line.clear();
  engine.LogLine("IEnd of Transaction File; Nr TX " + std::to_string(engine.transaction_count));
}

}  // namespace korav
