// The extracts: the transactions (32) and value cube entries (33) of the
// cost pools within the report ranges, handed back as they were stored, so
// that part of a model's data can be taken into another tool.
#include <string>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/line_reader.h"
#include "common/paths.h"

namespace korav {

// The transactions come from the dump that option 5 writes while they are
// read; without it there is nothing to extract.
void WriteTransactionExtract(Engine& engine) {
  SetReportRanges(engine);
  const std::string dump = engine.paths.output_directory + kDumpName;
  // A dump line is a pool code, a comma and a transaction line, each of
  // which may be as long as the reader of their own file takes.
  LineReader reader(2 * LineReader::kMaxLineBytes + 1);
  if (!FileExists(dump) || !reader.Open(dump)) {
    engine.LogLine(
        "e401 REP; Transaction Trace Report selected but no Tx input file exists; create one "
        "using OO 5");
    return;
  }
  if (engine.IsOpenOutput(reader.Identity())) {
    engine.LogOwnOutput(dump);
    return;
  }
  engine.report_output.WriteLine("Extract Selected Transactions Report," + engine.host.DateTime());
  FieldTable fields(kAllocationCsvSlots);
  int32_t count = 0;
  std::string_view line;
  while (reader.Next(line)) {
    if (reader.TooLong()) {
      engine.LogTooLong(dump, reader.LineNumber());
      continue;
    }
    fields.SplitCsv(line);
    const int32_t pool = engine.model.pools.CodeIndex.Find(fields[1]);
    if (pool < 0 || !InReportRange(engine, engine.model.pools[pool])) continue;
    engine.report_output.WriteLine(line);
    ++count;
  }
  engine.LogLine("i402 REP; Transaction Trace Report; NrTXselected=" + std::to_string(count));
}

void WriteCubeExtract(Engine& engine) {
  SetReportRanges(engine);
  std::string line;
  engine.cube.vcIterStart(0);
  for (int32_t pool = engine.cube.vcIterNext(engine.model, line); pool != 0;
       pool = engine.cube.vcIterNext(engine.model, line)) {
    if (InReportRange(engine, engine.model.pools[pool])) engine.report_output.WriteLine(line);
  }
}

}  // namespace korav
