// The Dimension Details Report (11) and the dimension extract (34): every
// value of the chosen dimensions with its parent, level, transaction tallies
// and its path of ancestors, and the codes its "DIMT" row fills in.
#include <algorithm>
#include <string>

#include "allocation/model/selection_queries.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/excerpt.h"
#include "common/numbers.h"

namespace korav {
namespace {

enum class DimensionMode { kReport, kExtract };

// The dimension range of column 4 ("1/20" when empty), clamped to the
// model's dimensions; false, after an error line, when a part is not an
// integer.
bool DimensionRange(Engine& engine, DimensionMode mode, int32_t& first, int32_t& last) {
  const std::string column = engine.csv[4].empty() ? "1/20" : std::string(engine.csv[4]);
  engine.slash.SplitSlash(column);
  const std::string from(engine.slash[1]);
  const std::string to = engine.slash[2].empty() ? from : std::string(engine.slash[2]);
  if (!ParseInt(from, first) || !ParseInt(to, last)) {
    engine.LogLine("e403 REP; Dimension range not valid; give numbers as 1/3; Range=" +
                   Excerpt(column));
    return false;
  }
  const int32_t count = engine.model.dimension_count;
  if (mode == DimensionMode::kExtract) last = first;
  first = std::clamp(first, 1, std::max(count, 1));
  last = std::clamp(last, 1, std::max(count, 1));
  return count > 0;
}

void WriteDimension(Engine& engine, DimensionMode mode, int32_t d) {
  const ModelTables& model = engine.model;
  const TmyDIMH& dimension = model.dimensions[static_cast<size_t>(d)];
  if (mode == DimensionMode::kReport) {
    engine.report_output.WriteLine("DIMH," + std::to_string(d) + "," + dimension.Name);
  }
  const std::string prefix = mode == DimensionMode::kReport ? std::to_string(d) + "," : "";
  for (int32_t row = 1; row <= dimension.Values.count(); ++row) {
    const TmyDIM& value = dimension.Values[row];
    std::string line = prefix + value.Code + "," + Quoted(value.Description) + "," +
                       value.ParentCode + "," + std::to_string(value.Level) + "," +
                       value.Summarise + "," + std::to_string(value.TxCount) + "," +
                       FormatFixed2(value.TxValue) + ",,";
    // The path: the empty column under the header's gap, then one column per
    // level; a value at level 0 (no known top value) has none.
    for (int32_t k = 1; k <= value.Level; ++k) {
      if (k > 1) line += ",";
      line += dimension.Values[value.Path[static_cast<size_t>(k)]].Code;
    }
    engine.report_output.WriteLine(line);
    if (value.TransSelection > 0) {
      engine.report_output.WriteLine("    DIMT,,," + SelectionText(model, value.TransSelection));
    }
  }
}

void WriteDimensions(Engine& engine, DimensionMode mode) {
  std::string header =
      "Code,Description,ParentCode,Level,Summarise,TxCount,TxValue,,L1,L2,L3,L4,L5,L6,L7,L8,L9,"
      "L10,L11,L12";
  if (mode == DimensionMode::kReport) {
    WriteReportTitle(engine, "Dimension Details Report; ");
    header = "Type," + header;
  }
  engine.report_output.WriteLine(header);
  int32_t first = 0;
  int32_t last = 0;
  if (!DimensionRange(engine, mode, first, last)) return;
  for (int32_t d = first; d <= last; ++d) {
    if (engine.model.dimensions[static_cast<size_t>(d)].Count > 0) WriteDimension(engine, mode, d);
  }
}

}  // namespace

void WriteDimensionReport(Engine& engine) { WriteDimensions(engine, DimensionMode::kReport); }

void WriteDimensionExtract(Engine& engine) { WriteDimensions(engine, DimensionMode::kExtract); }

}  // namespace korav
