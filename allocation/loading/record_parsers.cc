#include "allocation/loading/record_parsers.h"

#include <string>

#include "allocation/loading/model_completion.h"
#include "allocation/loading/model_loading.h"
#include "common/excerpt.h"
#include "common/numbers.h"

namespace korav {
namespace {

// A field as messages quote it.
std::string Text(std::string_view view) { return Excerpt(view); }

// Appends a row to `table`, or reports e125 and gives 0 when it is full.
template <typename Row>
int32_t AppendRow(Engine& engine, ModelTable<Row>& table, const FieldTable& fields) {
  const int32_t row = table.Append();
  if (row == 0) {
    engine.LogLine("e125 " + Text(fields[1]) +
                   "; Record not counted in pass 1 (after a REP or CPY record); not read; Code=" +
                   Text(fields[2]));
  }
  return row;
}

// A numeric column whose text is not a number and for which no message of
// its own exists is reported, naming the value used instead.
void ReportBadNumber(Engine& engine, const FieldTable& fields, int column, std::string_view used) {
  engine.LogLine("e145 " + Text(fields[1]) + "; Number not valid, " + Text(used) + " used; " +
                 Text(fields[1]) + "=" + Text(fields[2]) + " Column=" + std::to_string(column) +
                 " Value=" + Text(fields[column]));
}

double NumberOrZero(Engine& engine, const FieldTable& fields, int column) {
  double value = 0;
  if (fields[column].empty() || ParseDouble(fields[column], value)) return value;
  ReportBadNumber(engine, fields, column, "0");
  return 0;
}

// A measure's divisor: 1.0 when the column is empty. A divisor of 0 would
// make the measure infinite and spread through the allocation, so it is
// reported and 1.0 is used.
double Divisor(Engine& engine, const FieldTable& fields, int column, bool& valid) {
  valid = true;
  double divisor = 1.0;
  if (fields[column].empty()) return divisor;
  if (!ParseDouble(fields[column], divisor)) {
    valid = false;
    return 1.0;
  }
  if (divisor == 0) {
    engine.LogLine("e146 " + Text(fields[1]) + "; Divisor is 0, 1 used; " + Text(fields[1]) + "=" +
                   Text(fields[2]));
    return 1.0;
  }
  return divisor;
}

// Columns 6 and 9 of a "CP" record: a text that sorts from "0" to "3" and is
// the integer 0 to 3; anything else is 0, and a text that is not empty is
// reported by its column's name, so that a typo does not go unseen.
int32_t SmallCode(Engine& engine, const FieldTable& fields, int column, std::string_view name) {
  const std::string_view text = fields[column];
  int32_t value = 0;
  if (text >= "0" && text <= "3" && ParseInt(text, value) && value <= 3) return value;
  if (!text.empty()) {
    engine.LogLine("w CP; " + Text(name) + " not valid, 0 used; CP=" + Text(fields[2]) +
                   " Value=" + Text(text));
  }
  return 0;
}

void ParseDimensionHeader(Engine& engine, const FieldTable& fields) {
  int32_t number = 0;
  if (!ParseInt(fields[2], number) || number < 1 || number > kMaxDimensions) {
    engine.LogLine("e106 DIMH; Dimension Code not valid; DIMH=" + Text(fields[2]));
    return;
  }
  engine.model.dimensions[static_cast<size_t>(number)].Name.assign(fields[3]);
  if (engine.model.dimension_count < number) engine.model.dimension_count = number;
}

void ParseSelection(Engine& engine, RecordKind kind, const FieldTable& fields) {
  const int32_t row = AppendRow(engine, engine.model.selections, fields);
  if (row == 0) return;
  TmySEL& selection = engine.model.selections[row];
  selection.Code.assign(fields[2]);
  selection.Description.assign(fields[3]);
  selection.Code2.assign(fields[4]);
  selection.Include.assign(fields[5]);
  selection.Kind = kind;
  selection.Row = row;
  if (kind != kInputMeasureSelectionRecord) {
    if (!selection.Code2.empty() || !selection.Include.empty()) {
      engine.LogLine("e102 " + Text(fields[1]) +
                     "; Code2 and Include must be empty; Code=" + Text(fields[2]));
      selection.Code2.clear();
      selection.Include.clear();
    }
  } else if (selection.Include.empty()) {
    selection.Include = "I";
  } else if (selection.Include != "I" && selection.Include != "E") {
    engine.LogLine("e103 IMS; Include must be I or E; IM=" + Text(fields[2]) +
                   " Value=" + Text(fields[5]));
  }
  const bool copies = kind == kPoolCopyRecord || kind == kGroupCopyRecord;
  for (int i = 1; i <= kMaxDimensions; ++i) {
    const std::string_view value = fields[5 + i];
    selection.DimValue[static_cast<size_t>(i)].assign(value);
    if (value.substr(0, 1) != "%") {
      selection.DimSelect[static_cast<size_t>(i)].assign(value);
    } else if (copies) {
      const char level = value.size() == 2 ? value[1] : '\0';
      if ((level >= '0' && level <= '9') || level == 'Y') {
        selection.DimCopy[static_cast<size_t>(i)] = level;
      } else {
        engine.LogLine("e104 SEL; DIM Value not valid; SEL=" + Text(fields[2]) +
                       " Value=" + Text(value));
      }
    }
  }
}

void ParseStage(Engine& engine, const FieldTable& fields) {
  ModelTable<TmySTG>& stages = engine.model.stages;
  const int32_t row = AppendRow(engine, stages, fields);
  if (row == 0) return;
  TmySTG& stage = stages[row];
  stage.Code.assign(fields[2]);
  stage.Description.assign(fields[3]);
  stages.CodeIndex.Add(stage.Code, row);
  const std::string_view type = fields[4];
  if (type == "1" || type == "2" || type == "3" || type == "4") {
    stage.STGType = static_cast<StageType>(type[0] - '0');
  } else {
    engine.LogLine("e118 STG; STGType Not Valid; STG=" + Text(fields[2]) + " Type=" + Text(type));
  }
}

void ParseGroup(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyCPG>& groups = engine.model.groups;
  const int32_t row = AppendRow(engine, groups, fields);
  if (row == 0) return;
  TmyCPG& group = groups[row];
  group.Code.assign(fields[2]);
  group.Description.assign(fields[3]);
  group.StageCode.assign(fields[4]);
  if (!fields[5].empty() && !ParseInt(fields[5], group.Priority)) {
    ReportBadNumber(engine, fields, 5, "0");
  }
  group.Flag = fields[6] == "Y";
  groups.CodeIndex.Add(group.Code, row);
  for (int k = 1; k <= 6; ++k) {
    const std::string_view text = fields[6 + k];
    int32_t order = 0;
    if (!text.empty() && (!ParseInt(text, order) || order < 0 || order > kMaxDimensions)) {
      engine.LogLine("e117 CPG; DIM Order not valid < 1 or > Max; CPG=" + Text(fields[2]) +
                     " Priority=" + Text(text));
      order = 0;
    }
    group.DimOrder[static_cast<size_t>(k)] = order;
  }
  // Every group of the default stage gets a pool that catches what its other
  // pools do not select.
  if (group.StageCode == engine.counts.default_stage_code) {
    const std::string code = group.Code;
    ModelTable<TmyCP>& pools = engine.model.pools;
    const int32_t last_pool = pools.count();
    ParseGeneratedRecord(engine, "CP,.NOTSEL." + code + ",Not Selected," + code);
    if (pools.count() > last_pool) pools[pools.count()].NotSelected = true;
    ParseGeneratedRecord(engine,
                         "CPS,.NOTSEL." + code + ",Not Selected,,,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*");
  }
}

void ParsePool(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyCP>& pools = engine.model.pools;
  const int32_t row = AppendRow(engine, pools, fields);
  if (row == 0) return;
  TmyCP& pool = pools[row];
  pool.Code.assign(fields[2]);
  pool.Description.assign(fields[3]);
  pool.GroupCode.assign(fields[4]);
  pools.CodeIndex.Add(pool.Code, row);
  if (pool.GroupCode.empty()) engine.LogLine("e114 CP; CPG is required; CP=" + Text(fields[2]));
  pool.BaseCode.assign(fields[5]);
  pool.BudgetMethod = SmallCode(engine, fields, 6, "Budget Method");
  pool.VarianceCode.assign(fields[7]);
  if (pool.BudgetMethod != 0 && pool.VarianceCode.empty()) {
    engine.LogLine(
        "e115 CP; Cost Pool set for Budgeting but no Cost Pool to allocate variance to; CP=" +
        Text(fields[2]));
  }
  pool.ValueBudget = NumberOrZero(engine, fields, 8);
  pool.UnitSource = SmallCode(engine, fields, 9, "Unit Source");
  if (pool.UnitSource == 0 && pool.BudgetMethod > 1) {
    engine.LogLine(
        "i116 CP; Cost Pool to use Units in Budgeting; but UnitSource is 0; Set to 1; CP=" +
        Text(fields[2]));
    pool.UnitSource = 1;
  }
  pool.UnitBudget = NumberOrZero(engine, fields, 10);
  pool.EnteredUnits = NumberOrZero(engine, fields, 11);
  pool.Row = row;
}

void ParseBudget(Engine& engine, const FieldTable& fields) {
  const int32_t row = AppendRow(engine, engine.model.budgets, fields);
  if (row == 0) return;
  TmyCPB& budget = engine.model.budgets[row];
  budget.PoolCode.assign(fields[2]);
  budget.ValueBudget = NumberOrZero(engine, fields, 3);
  budget.UnitBudget = NumberOrZero(engine, fields, 4);
  budget.EnteredUnits = NumberOrZero(engine, fields, 5);
}

void ParseBase(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyAB>& bases = engine.model.bases;
  const int32_t row = AppendRow(engine, bases, fields);
  if (row == 0) return;
  TmyAB& base = bases[row];
  base.Code.assign(fields[2]);
  base.Description.assign(fields[3]);
  base.LOC.assign(fields[4]);
  bases.CodeIndex.Add(base.Code, row);
}

void ParseBaseLine(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyABL>& lines = engine.model.base_lines;
  const int32_t row = AppendRow(engine, lines, fields);
  if (row == 0) return;
  TmyABL& line = lines[row];
  line.BaseCode.assign(fields[2]);
  line.Description.assign(fields[3]);
  const char type = fields[4].empty() ? '\0' : fields[4][0];
  if (type == 'C' || type == 'N' || type == 'I') {
    line.MeasureType = type;
  } else {
    engine.LogLine("e112 ABL; Input Measure Type not Valid; AB=" + Text(fields[2]) +
                   " Type=" + Text(fields[4]) + " ");
  }
  if (type == 'C') {
    if (!ParseDouble(fields[5], line.Value)) {
      engine.LogLine("e113 ABL; Value not Valid; AB=" + Text(fields[2]) +
                     " Value=" + Text(fields[5]));
    }
  } else {
    line.MeasureCode.assign(fields[5]);
  }
  line.OutputCode.assign(fields[6]);
  line.UnitBudget = NumberOrZero(engine, fields, 7);
  // Constant lines of one base into one pool add up to a single line.
  if (row > 1) {
    TmyABL& before = lines[row - 1];
    if (before.BaseCode == line.BaseCode && before.MeasureType == 'C' && line.MeasureType == 'C' &&
        before.OutputCode == line.OutputCode) {
      before.Value += line.Value;
      lines.DropLast();
    }
  }
}

void ParseInputMeasure(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyIM>& measures = engine.model.input_measures;
  const int32_t row = AppendRow(engine, measures, fields);
  if (row == 0) return;
  TmyIM& measure = measures[row];
  measure.Code.assign(fields[2]);
  measure.Description.assign(fields[3]);
  measures.CodeIndex.Add(measure.Code, row);
  if (fields[4] == "T" || fields[4] == "C") {
    measure.IMType = fields[4][0];
  } else {
    engine.LogLine("e119 IM; IMType not Valid; IM=" + Text(fields[2]) + " Type=" + Text(fields[4]));
  }
  bool valid = true;
  measure.Divisor = Divisor(engine, fields, 5, valid);
  if (!valid) {
    engine.LogLine("e120 IM; Divisor not Valid; IM=" + Text(fields[2]) +
                   " Value=" + Text(fields[5]));
  }
}

void ParseNamedMeasure(Engine& engine, const FieldTable& fields) {
  ModelTable<TmyNM>& measures = engine.model.named_measures;
  const int32_t row = AppendRow(engine, measures, fields);
  if (row == 0) return;
  TmyNM& measure = measures[row];
  measure.Code.assign(fields[2]);
  measure.Description.assign(fields[3]);
  measures.CodeIndex.Add(measure.Code, row);
  if (!ParseDouble(fields[4], measure.Value)) {
    engine.LogLine("e121 NM; Value not valid; NM=" + Text(fields[2]) + " Value=" + Text(fields[4]));
  }
  bool valid = true;
  measure.Divisor = Divisor(engine, fields, 5, valid);
  if (!valid) ReportBadNumber(engine, fields, 5, "1");
  measure.Measure = measure.Value / measure.Divisor;
}

void ParseNamedValue(Engine& engine, const FieldTable& fields) {
  const int32_t row = AppendRow(engine, engine.model.named_values, fields);
  if (row == 0) return;
  TmyNMV& value = engine.model.named_values[row];
  value.MeasureCode.assign(fields[2]);
  if (!ParseDouble(fields[3], value.Value)) {
    engine.LogLine("e122 NMV; Value not valid; NMV=" + Text(fields[2]) +
                   " Value=" + Text(fields[3]));
  }
}

}  // namespace

void ParseDimensionValue(Engine& engine, int32_t dimension, const FieldTable& fields) {
  TmyDIMH& header = engine.model.dimensions[static_cast<size_t>(dimension)];
  const int32_t row = header.Values.Append();
  if (row == 0) {
    engine.LogLine("e125 DIM; Record not counted in pass 1; not read; DIM=" + Text(fields[1]));
    return;
  }
  TmyDIM& value = header.Values[row];
  value.Code.assign(fields[1]);
  value.Description.assign(fields[2]);
  value.ParentCode.assign(fields[3]);
  value.Summarise = fields[4] == "Y" ? 'Y' : ' ';
  header.Count = header.Values.count();
}

void ParseRecord(Engine& engine, RecordKind kind, const FieldTable& fields) {
  switch (kind) {
    case kDimensionHeaderRecord:
      ParseDimensionHeader(engine, fields);
      break;
    case kDimensionValueRecord:
      ParseDimensionValue(engine, engine.state.current_dimension, fields);
      break;
    case kTransactionDimensionRecord:
    case kGroupSelectionRecord:
    case kGroupCopyRecord:
    case kPoolSelectionRecord:
    case kPoolCopyRecord:
    case kPoolBudgetValueRecord:
    case kInputMeasureSelectionRecord:
      ParseSelection(engine, kind, fields);
      break;
    case kStageRecord:
      ParseStage(engine, fields);
      break;
    case kGroupRecord:
      ParseGroup(engine, fields);
      break;
    case kPoolRecord:
      ParsePool(engine, fields);
      break;
    case kPoolBudgetRecord:
      ParseBudget(engine, fields);
      break;
    case kBaseRecord:
      ParseBase(engine, fields);
      break;
    case kBaseLineRecord:
      ParseBaseLine(engine, fields);
      break;
    case kInputMeasureRecord:
      ParseInputMeasure(engine, fields);
      break;
    case kNamedMeasureRecord:
      ParseNamedMeasure(engine, fields);
      break;
    case kNamedMeasureValueRecord:
      ParseNamedValue(engine, fields);
      break;
    default:
      break;
  }
}

void ParseGeneratedRecord(Engine& engine, std::string_view record) {
  FieldTable fields(kAllocationCsvSlots);
  fields.SplitCsv(record);
  ParseRecord(engine, RecordKindOf(fields[1]), fields);
}

void ParseModelRecord(Engine& engine, RecordKind kind) { ParseRecord(engine, kind, engine.csv); }

void ReadDimensionHeader(Engine& engine) { ParseDimensionHeader(engine, engine.csv); }

void AddNotSelectedDefaults(Engine& engine) {
  ParseGeneratedRecord(engine,
                       "CPG,.NOTSEL,Not Selected," + engine.counts.default_stage_code + ",99");
  ParseGeneratedRecord(engine, "CPGS,.NOTSEL,Not Selected,,,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*");
}

}  // namespace korav
